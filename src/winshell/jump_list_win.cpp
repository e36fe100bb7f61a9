#include "winshell/jump_list_win.h"

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

namespace winshell {

void delete_jump_list() {
  Microsoft::WRL::ComPtr<ICustomDestinationList> list;
  if (FAILED(CoCreateInstance(CLSID_DestinationList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&list)))) return;
  list->DeleteList(L"Velmora.tolvik");
}

}  // namespace winshell
