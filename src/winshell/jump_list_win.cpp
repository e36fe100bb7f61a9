#include "winshell/jump_list_win.h"

#include <windows.h>
#include <propkey.h>
#include <propvarutil.h>
#include <wrl/client.h>

#include <algorithm>

#include "base/handle_win.h"
#include "base/program_path.h"
#include "base/utf.h"
#include "winshell/failure_win.h"
#include "winshell/shell_link_win.h"

namespace winshell {
namespace {

using Microsoft::WRL::ComPtr;

// A task link: the program with --open "<id>", titled with the bundle's name.
ComPtr<IShellLinkW> task_link(const std::string& program, const JumpTask& task) {
  auto link = make_shell_link(program, "--open \"" + task.bundle_id + "\"", task.name);
  if (!link) return nullptr;
  ComPtr<IPropertyStore> properties;
  if (failed("IShellLinkW::QueryInterface(IPropertyStore)", link.value()->QueryInterface(IID_PPV_ARGS(&properties)))) {
    return nullptr;
  }
  base::PropVariant title;
  if (failed("InitPropVariantFromString", InitPropVariantFromString(base::widen(task.name).c_str(), title.put()))) {
    return nullptr;
  }
  if (failed("IPropertyStore::SetValue", properties->SetValue(PKEY_Title, title.get()))) return nullptr;
  if (failed("IPropertyStore::Commit", properties->Commit())) return nullptr;
  return link.value();
}

}  // namespace

void refresh_jump_list(ICustomDestinationList& list, const std::string& program, const std::vector<JumpTask>& tasks) {
  if (failed("ICustomDestinationList::SetAppID", list.SetAppID(kAppUserModelId))) return;
  if (tasks.empty()) {
    failed("ICustomDestinationList::DeleteList", list.DeleteList(kAppUserModelId));
    return;
  }
  UINT rows_shown = 0;  // how many entries the taskbar shows at the least
  ComPtr<IObjectArray> removed;
  if (failed("ICustomDestinationList::BeginList", list.BeginList(&rows_shown, IID_PPV_ARGS(&removed)))) return;
  ComPtr<IObjectCollection> collection;
  if (failed("CoCreateInstance(EnumerableObjectCollection)",
             CoCreateInstance(CLSID_EnumerableObjectCollection, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&collection)))) {
    return;
  }
  // A task that cannot be made is left out; the next bundle takes its row.
  const std::size_t wanted = std::clamp<UINT>(rows_shown, 5, 20);
  std::size_t added = 0;
  for (std::size_t i = 0; i < tasks.size() && added < wanted; ++i) {
    ComPtr<IShellLinkW> link = task_link(program, tasks[i]);
    if (!link || failed("IObjectCollection::AddObject", collection->AddObject(link.Get()))) continue;
    ++added;
  }
  if (added == 0) {
    failed("ICustomDestinationList::AbortList", list.AbortList());
    failed("ICustomDestinationList::DeleteList", list.DeleteList(kAppUserModelId));
    return;
  }
  ComPtr<IObjectArray> array;
  if (failed("IObjectCollection::QueryInterface(IObjectArray)", collection.As(&array))) return;
  if (failed("ICustomDestinationList::AddUserTasks", list.AddUserTasks(array.Get()))) return;
  failed("ICustomDestinationList::CommitList", list.CommitList());
}

void refresh_jump_list(const std::vector<JumpTask>& tasks) {
  const std::optional<std::string> program = base::program_path();
  if (!program) return;
  ComPtr<ICustomDestinationList> list;
  if (failed("CoCreateInstance(DestinationList)",
             CoCreateInstance(CLSID_DestinationList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&list)))) {
    return;
  }
  refresh_jump_list(*list.Get(), *program, tasks);
}

void delete_jump_list() {
  ComPtr<ICustomDestinationList> list;
  if (failed("CoCreateInstance(DestinationList)",
             CoCreateInstance(CLSID_DestinationList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&list)))) {
    return;
  }
  failed("ICustomDestinationList::DeleteList", list->DeleteList(kAppUserModelId));
}

}  // namespace winshell
