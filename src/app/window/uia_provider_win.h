#pragma once
// The view told to UI Automation: the window's WM_GETOBJECT hands out a tree
// of provider objects made from the last snapshot of the access tree
// (app/view/access_tree.h), never from the application state itself. Windows calls
// these objects from inside other handlers (a modal loop, a paint) while the
// state is in use, so they read only the snapshot, and what a reader asks
// them to do (invoke, select, focus) is queued and done by kMsgAccessRequest
// once the state is free, finding the element again by its key.
// Defined in uia_provider_win.cpp.

#include <windows.h>
#include <uiautomationcore.h>
#include <wrl/client.h>

#include <deque>
#include <memory>
#include <optional>

#include "app/view/access_tree.h"

namespace app {

class AccessHost;

class UiaProvider {
 public:
  explicit UiaProvider(HWND window);
  UiaProvider(const UiaProvider&) = delete;
  UiaProvider& operator=(const UiaProvider&) = delete;
  // The window is going: every object handed out answers "not available" from now on.
  ~UiaProvider();

  // WM_GETOBJECT: the root provider for UiaRootObjectId (and, for the bridge
  // Windows makes to older readers, OBJID_CLIENT); 0 for what it does not answer.
  LRESULT answer_get_object(WPARAM wparam, LPARAM lparam);

  // The view as it is now: replaces the snapshot, which the provider objects
  // answer from at once.
  void refresh(AccessTree tree);
  // Tells listening clients what changed since they were last told (focus, a
  // list's rows, a new toast, names and states). Called with the state free:
  // a client may call back into the window from inside.
  void raise_events();

  // What readers asked for since the last call, oldest first.
  std::deque<AccessRequest> take_requests();

  // The root provider, as WM_GETOBJECT hands it out.
  Microsoft::WRL::ComPtr<IRawElementProviderSimple> root();

  const AccessTree& snapshot() const;

 private:
  std::shared_ptr<AccessHost> host_;
  // The snapshot clients were last told of, while events are due.
  std::optional<AccessTree> told_;
};

}  // namespace app
