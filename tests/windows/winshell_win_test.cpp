// The shell layer against objects of the test's own: a destination list, the
// chain behind an Explorer window and drag-and-drop data objects, each one
// recording what was asked of it. Shell links and ID lists are real.

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <propkey.h>
#include <propvarutil.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <vector>

#include "app/reach/offered_bundles.h"
#include "base/utf.h"
#include "support_win.h"
#include "winshell/drop_target_win.h"
#include "winshell/explorer_windows_win.h"
#include "winshell/jump_list_win.h"
#include "winshell/shell_icon_win.h"
#include "winshell/shell_link_win.h"

namespace {

namespace fs = std::filesystem;
using Microsoft::WRL::ComPtr;
using testing_support::TempFolder;
using Calls = std::vector<std::string>;

// A method the code under test never calls.
#define STUB(name, ...) STDMETHOD(name)(__VA_ARGS__) override { return E_NOTIMPL; }
#define NO_DISPATCH STUB(GetTypeInfoCount, UINT*) STUB(GetTypeInfo, UINT, LCID, ITypeInfo**) \
  STUB(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)                               \
  STUB(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

struct ComTest : ::testing::Test {
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr)); }
  void TearDown() override { OleUninitialize(); }
};

// A COM object owned by the test, which holds the first reference. It answers
// for its interfaces (those after the first only while `answers_more`) and
// counts references, so a test can tell that every AddRef met its Release.
template <class First, class... More>
class Fake : public First, public More... {
 public:
  STDMETHOD(QueryInterface)(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == __uuidof(First) ? static_cast<First*>(this) : nullptr;
    [[maybe_unused]] const auto offer = [&](void* as, REFIID iid) {
      if (!*out && answers_more && riid == iid) *out = as;
    };
    (offer(static_cast<More*>(this), __uuidof(More)), ...);
    return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++refs; }
  STDMETHOD_(ULONG, Release)() override { return --refs < 1 ? (++over_released, refs) : refs; }
  bool balanced() const { return refs == 1 && over_released == 0; }
  LONG refs = 1;
  int over_released = 0;
  bool answers_more = true;
};

// --- jump list -----------------------------------------------------------------

// Wine 8 has no EnumerableObjectCollection (REGDB_E_CLASSNOTREG); where it is
// missing, this stand-in is registered for the process while a test runs.
struct Collection final : Fake<IObjectCollection> {
  STDMETHOD(QueryInterface)(REFIID riid, void** out) override {
    return riid == __uuidof(IObjectArray) ? (*out = this, AddRef(), S_OK) : Fake::QueryInterface(riid, out);
  }
  STDMETHOD(GetCount)(UINT* count) override { return *count = static_cast<UINT>(items.size()), S_OK; }
  STDMETHOD(GetAt)(UINT i, REFIID riid, void** out) override {
    return i < items.size() ? items[i]->QueryInterface(riid, out) : (*out = nullptr, E_INVALIDARG);
  }
  STDMETHOD(AddObject)(IUnknown* item) override { return items.emplace_back(item), S_OK; }
  STUB(AddFromArray, IObjectArray*) STUB(RemoveObjectAt, UINT) STUB(Clear)
  std::vector<ComPtr<IUnknown>> items;
};

struct CollectionFactory final : Fake<IClassFactory> {
  STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** out) override {
    return outer ? CLASS_E_NOAGGREGATION : made.emplace_back(std::make_unique<Collection>())->QueryInterface(riid, out);
  }
  STDMETHOD(LockServer)(BOOL) override { return S_OK; }
  std::vector<std::unique_ptr<Collection>> made;  // kept until the test ends
};

struct TaskLink {
  std::wstring path, arguments, description, title;
  HRESULT title_read = E_FAIL;
};

// The taskbar's destination list as the program sees it, recording each call.
struct FakeDestinationList final : Fake<ICustomDestinationList> {
  STDMETHOD(SetAppID)(LPCWSTR id) override { return note("SetAppID " + base::narrow(id), app_id_answer); }
  STDMETHOD(BeginList)(UINT* rows_shown_answer, REFIID riid, void** removed) override {
    *removed = nullptr;
    note(riid == __uuidof(IObjectArray) ? "BeginList" : "BeginList of another interface");
    if (FAILED(begin_answer)) return begin_answer;
    *rows_shown_answer = rows_shown;  // and nothing removed by the user: an empty array
    return CoCreateInstance(CLSID_EnumerableObjectCollection, nullptr, CLSCTX_INPROC_SERVER, riid, removed);
  }
  STDMETHOD(AppendCategory)(LPCWSTR, IObjectArray*) override { return note("AppendCategory"); }
  STDMETHOD(AppendKnownCategory)(KNOWNDESTCATEGORY) override { return note("AppendKnownCategory"); }
  STDMETHOD(AddUserTasks)(IObjectArray* array) override {
    UINT count = 0;
    array->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
      TaskLink& task = tasks.emplace_back();
      ComPtr<IShellLinkW> link;
      ComPtr<IPropertyStore> properties;
      wchar_t text[1024] = {};
      if (FAILED(array->GetAt(i, IID_PPV_ARGS(&link)))) continue;
      link->GetPath(text, 1024, nullptr, SLGP_RAWPATH), task.path = text;
      link->GetArguments(text, 1024), task.arguments = text;
      link->GetDescription(text, 1024), task.description = text;
      PROPVARIANT title;
      PropVariantInit(&title);
      if (SUCCEEDED(link.As(&properties))) task.title_read = properties->GetValue(PKEY_Title, &title);
      if (title.vt == VT_LPWSTR) task.title = title.pwszVal;
      PropVariantClear(&title);
    }
    return note("AddUserTasks", add_answer);
  }
  STDMETHOD(CommitList)() override { return note("CommitList"); }
  STDMETHOD(GetRemovedDestinations)(REFIID, void**) override { return note("GetRemovedDestinations"); }
  STDMETHOD(DeleteList)(LPCWSTR id) override { return note("DeleteList " + base::narrow(id)); }
  STDMETHOD(AbortList)() override { return note("AbortList"); }
  HRESULT note(const std::string& call, HRESULT answer = S_OK) { return calls.push_back(call), answer; }

  UINT rows_shown = 10;
  HRESULT app_id_answer = S_OK, begin_answer = S_OK, add_answer = S_OK;
  Calls calls;
  std::vector<TaskLink> tasks;
};

std::string program_path() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return base::narrow(path);
}

std::string bundle_name(std::size_t i) { return (i % 2 ? "월말 결산 " : "Quarterly report ") + std::to_string(i); }

std::vector<winshell::JumpTask> bundles(std::size_t count) {
  std::vector<winshell::JumpTask> tasks;
  for (std::size_t i = 0; i < count; ++i) tasks.push_back({"b" + std::to_string(i), bundle_name(i)});
  return tasks;
}

struct JumpList : ComTest {
  CollectionFactory factory;
  DWORD cookie = 0;
  void SetUp() override {
    ComTest::SetUp();
    ComPtr<IObjectCollection> system;
    if (CoCreateInstance(CLSID_EnumerableObjectCollection, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&system)) ==
        REGDB_E_CLASSNOTREG) {
      ASSERT_HRESULT_SUCCEEDED(CoRegisterClassObject(CLSID_EnumerableObjectCollection, &factory,
                                                     CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    }
  }
  void TearDown() override {
    if (cookie) CoRevokeClassObject(cookie);
    ComTest::TearDown();
  }
};

TEST_F(JumpList, AddsAsManyTasksAsTheTaskbarShowsWithinFiveToTwenty) {
  const std::string program = program_path();
  struct Case { std::size_t bundles; UINT rows_shown; std::size_t tasks; };
  for (const Case c : {Case{25, 10, 10}, Case{8, 3, 5}, Case{30, 50, 20}, Case{3, 10, 3}, Case{7, 0, 5}}) {
    SCOPED_TRACE(std::to_string(c.bundles) + " bundles, " + std::to_string(c.rows_shown) + " rows shown");
    FakeDestinationList list;
    list.rows_shown = c.rows_shown;
    winshell::refresh_jump_list(list, program, bundles(c.bundles));
    EXPECT_EQ(list.calls, (Calls{"SetAppID Velmora.tolvik", "BeginList", "AddUserTasks", "CommitList"}));
    ASSERT_EQ(list.tasks.size(), c.tasks);
    for (std::size_t i = 0; i < c.tasks; ++i) {
      EXPECT_EQ(list.tasks[i].path, base::widen(program)) << i;
      EXPECT_EQ(list.tasks[i].arguments, L"--open \"b" + std::to_wstring(i) + L"\"") << i;
      EXPECT_EQ(list.tasks[i].description, base::widen(bundle_name(i))) << i;
    }
    EXPECT_TRUE(list.balanced());
  }
}

TEST_F(JumpList, TasksAreTitledWithTheBundleName) {
  FakeDestinationList list;
  list.rows_shown = 2;
  winshell::refresh_jump_list(list, program_path(), bundles(6));
  ASSERT_EQ(list.tasks.size(), 5u);
  // Wine's shell link takes PKEY_Title, but its GetValue answers E_NOTIMPL: there the title cannot be read back.
  if (list.tasks[0].title_read == E_NOTIMPL) GTEST_SKIP() << "the shell link's property store cannot be read back";
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(list.tasks[i].title, base::widen(bundle_name(i))) << i;
}

// Which names are offered is host-tested (notification_area_test.cpp); here,
// that the longest of them makes a task whose description holds it whole.
TEST_F(JumpList, TheLongestOfferedNameMakesATaskWithAllOfIt) {
  std::vector<winshell::JumpTask> tasks = bundles(8);
  tasks[2].name = std::string(app::kLongestOfferedName, 'y');
  FakeDestinationList list;
  list.rows_shown = 5;
  winshell::refresh_jump_list(list, program_path(), tasks);
  EXPECT_EQ(list.calls, (Calls{"SetAppID Velmora.tolvik", "BeginList", "AddUserTasks", "CommitList"}));
  ASSERT_EQ(list.tasks.size(), 5u);
  EXPECT_EQ(list.tasks[2].arguments, L"--open \"b2\"");
  EXPECT_EQ(list.tasks[2].description, std::wstring(app::kLongestOfferedName, L'y'));
  EXPECT_TRUE(list.balanced());
}

TEST_F(JumpList, NoBundlesDeletesTheListAndAFailingStepEndsTheRefresh) {
  FakeDestinationList empty, no_app_id, no_begin, tasks_refused;
  winshell::refresh_jump_list(empty, program_path(), {});
  EXPECT_EQ(empty.calls, (Calls{"SetAppID Velmora.tolvik", "DeleteList Velmora.tolvik"}));
  no_app_id.app_id_answer = E_FAIL;
  winshell::refresh_jump_list(no_app_id, program_path(), bundles(3));
  EXPECT_EQ(no_app_id.calls, (Calls{"SetAppID Velmora.tolvik"}));
  no_begin.begin_answer = E_ACCESSDENIED;
  winshell::refresh_jump_list(no_begin, program_path(), bundles(3));
  EXPECT_EQ(no_begin.calls, (Calls{"SetAppID Velmora.tolvik", "BeginList"}));
  tasks_refused.add_answer = E_FAIL;
  winshell::refresh_jump_list(tasks_refused, program_path(), bundles(3));
  EXPECT_EQ(tasks_refused.calls, (Calls{"SetAppID Velmora.tolvik", "BeginList", "AddUserTasks"}));
  for (const auto* list : {&empty, &no_app_id, &no_begin, &tasks_refused}) EXPECT_TRUE(list->balanced());
}

// --- File Explorer windows ----------------------------------------------------------

// Watches CoTaskMemFree for the ID lists handed out while it is on: each must
// be freed once, and not again before its memory is allocated anew.
struct FreeWatch final : Fake<IMallocSpy> {
  void start() {
    const std::lock_guard lock(mutex);
    live.clear(), handed = freed = freed_again = 0, on = true;
  }
  void handed_out(void* memory) {
    const std::lock_guard lock(mutex);
    if (on) live[memory] = true, ++handed;
  }
  STDMETHOD_(SIZE_T, PreAlloc)(SIZE_T size) override { return size; }
  STDMETHOD_(void*, PostAlloc)(void* memory) override {
    const std::lock_guard lock(mutex);
    return live.erase(memory), memory;  // the address is someone else's now
  }
  STDMETHOD_(void*, PreFree)(void* memory, BOOL) override {
    const std::lock_guard lock(mutex);
    if (const auto it = live.find(memory); it != live.end()) ++(it->second ? freed : freed_again), it->second = false;
    return memory;
  }
  STDMETHOD_(SIZE_T, PreRealloc)(void* memory, SIZE_T size, void** out, BOOL) override { return *out = memory, size; }
  STDMETHOD_(void*, PostRealloc)(void* memory, BOOL) override { return memory; }
  STDMETHOD_(void*, PreGetSize)(void* memory, BOOL) override { return memory; }
  STDMETHOD_(SIZE_T, PostGetSize)(SIZE_T size, BOOL) override { return size; }
  STDMETHOD_(void*, PreDidAlloc)(void* memory, BOOL) override { return memory; }
  STDMETHOD_(int, PostDidAlloc)(void*, BOOL, int actual) override { return actual; }
  STDMETHOD_(void, PostFree)(BOOL) override {}
  STDMETHOD_(void, PreHeapMinimize)() override {}
  STDMETHOD_(void, PostHeapMinimize)() override {}

  std::mutex mutex;
  std::map<void*, bool> live;  // true: handed out and not freed yet
  int handed = 0, freed = 0, freed_again = 0;
  bool on = false;
} free_watch;  // static: Wine may release a revoked spy only once its blocks are gone

enum class Fails { nothing, item, service_provider, query_service, active_view, folder_view, get_folder, cur_folder };

struct FakeFolder final : Fake<IPersistFolder2> {
  STUB(GetClassID, CLSID*) STUB(Initialize, PCIDLIST_ABSOLUTE)
  STDMETHOD(GetCurFolder)(PIDLIST_ABSOLUTE* out) override {
    *out = fails ? nullptr : ILClone(shown);
    if (*out) free_watch.handed_out(*out);
    return fails ? E_FAIL : S_OK;
  }
  PCIDLIST_ABSOLUTE shown = nullptr;
  bool fails = false;
};

struct FakeView final : Fake<IShellView, IFolderView> {
  STUB(GetWindow, HWND*) STUB(ContextSensitiveHelp, BOOL) STUB(TranslateAccelerator, MSG*) STUB(EnableModeless, BOOL)
  STUB(UIActivate, UINT) STUB(Refresh) STUB(DestroyViewWindow) STUB(GetCurrentInfo, LPFOLDERSETTINGS)
  STUB(CreateViewWindow, IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*, HWND*) STUB(SaveViewState)
  STUB(AddPropertySheetPages, DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM) STUB(SelectItem, PCUITEMID_CHILD, SVSIF)
  STUB(GetItemObject, UINT, REFIID, void**) STUB(GetCurrentViewMode, UINT*) STUB(SetCurrentViewMode, UINT)
  STUB(Item, int, PITEMID_CHILD*) STUB(ItemCount, UINT, int*) STUB(Items, UINT, REFIID, void**)
  STUB(GetSelectionMarkedItem, int*) STUB(GetFocusedItem, int*) STUB(GetItemPosition, PCUITEMID_CHILD, POINT*)
  STUB(GetSpacing, POINT*) STUB(GetDefaultSpacing, POINT*) STUB(GetAutoArrange) STUB(SelectItem, int, DWORD)
  STUB(SelectAndPositionItems, UINT, PCUITEMID_CHILD_ARRAY, POINT*, DWORD)
  STDMETHOD(GetFolder)(REFIID riid, void** out) override {
    return folder_fails ? (*out = nullptr, E_FAIL) : folder->QueryInterface(riid, out);
  }
  FakeFolder* folder = nullptr;
  bool folder_fails = false;
};

struct FakeBrowser final : Fake<IShellBrowser> {
  STUB(GetWindow, HWND*) STUB(ContextSensitiveHelp, BOOL) STUB(InsertMenusSB, HMENU, LPOLEMENUGROUPWIDTHS)
  STUB(SetMenuSB, HMENU, HOLEMENU, HWND) STUB(RemoveMenusSB, HMENU) STUB(SetStatusTextSB, LPCWSTR)
  STUB(EnableModelessSB, BOOL) STUB(TranslateAcceleratorSB, MSG*, WORD) STUB(BrowseObject, PCUIDLIST_RELATIVE, UINT)
  STUB(GetViewStateStream, DWORD, IStream**) STUB(GetControlWindow, UINT, HWND*)
  STUB(SendControlMsg, UINT, UINT, WPARAM, LPARAM, LRESULT*) STUB(OnViewWindowActive, IShellView*)
  STUB(SetToolbarItems, LPTBBUTTONSB, UINT, UINT)
  STDMETHOD(QueryActiveShellView)(IShellView** out) override {
    *out = view_fails ? nullptr : (view->AddRef(), view);
    return view_fails ? E_FAIL : S_OK;
  }
  FakeView* view = nullptr;
  bool view_fails = false;
};

// A window as the shell's window list hands it out; its top-level browser is a service.
struct FakeWindow final : Fake<IDispatch, IServiceProvider> {
  NO_DISPATCH
  STDMETHOD(QueryService)(REFGUID service, REFIID riid, void** out) override {
    *out = nullptr;
    return service_fails || service != SID_STopLevelBrowser ? E_NOINTERFACE : browser->QueryInterface(riid, out);
  }
  FakeBrowser* browser = nullptr;
  bool service_fails = false;
};

struct ExplorerWindow {
  ExplorerWindow(PCIDLIST_ABSOLUTE shown, Fails fails) : fails(fails) {
    folder.shown = shown, folder.fails = fails == Fails::cur_folder;
    view.folder = &folder, view.folder_fails = fails == Fails::get_folder;
    view.answers_more = fails != Fails::folder_view;
    browser.view = &view, browser.view_fails = fails == Fails::active_view;
    window.browser = &browser, window.service_fails = fails == Fails::query_service;
    window.answers_more = fails != Fails::service_provider;
  }
  bool balanced() const { return folder.balanced() && view.balanced() && browser.balanced() && window.balanced(); }
  FakeFolder folder;
  FakeView view;
  FakeBrowser browser;
  FakeWindow window;
  Fails fails;
};

struct FakeShellWindows final : Fake<IShellWindows> {
  NO_DISPATCH
  STUB(_NewEnum, IUnknown**) STUB(Register, IDispatch*, LONG, int, LONG*) STUB(Revoke, LONG)
  STUB(RegisterPending, LONG, VARIANT*, VARIANT*, int, LONG*) STUB(OnNavigate, LONG, VARIANT*)
  STUB(OnActivated, LONG, VARIANT_BOOL) STUB(FindWindowSW, VARIANT*, VARIANT*, int, LONG*, int, IDispatch**)
  STUB(OnCreated, LONG, IUnknown*) STUB(ProcessAttachDetach, VARIANT_BOOL)
  STDMETHOD(get_Count)(LONG* count) override { return *count = static_cast<LONG>(windows.size()), S_OK; }
  STDMETHOD(Item)(VARIANT index, IDispatch** out) override {
    *out = nullptr;
    if (index.vt != VT_I4 || index.lVal < 0 || index.lVal >= static_cast<LONG>(windows.size())) return E_INVALIDARG;
    ExplorerWindow& w = *windows[static_cast<std::size_t>(asked.emplace_back(index.lVal))];
    if (w.fails == Fails::item) return E_FAIL;
    return *out = &w.window, w.window.AddRef(), S_OK;
  }
  std::vector<std::unique_ptr<ExplorerWindow>> windows;
  std::vector<LONG> asked;
};

// Two real folders (one Korean), "My Computer" without a file-system path, and
// a window failing at each step of the way to its folder.
struct ExplorerFolders : ComTest {
  TempFolder temp;
  std::string alpha = temp.path("alpha"), beta = temp.path("베타");
  PIDLIST_ABSOLUTE alpha_list = nullptr, beta_list = nullptr, computer_list = nullptr;
  FakeShellWindows shell;

  void SetUp() override {
    ComTest::SetUp();
    ASSERT_TRUE(fs::create_directory(base::widen(alpha)) && fs::create_directory(base::widen(beta)));
    alpha_list = ILCreateFromPathW(base::widen(alpha).c_str());
    beta_list = ILCreateFromPathW(base::widen(beta).c_str());
    ASSERT_TRUE(alpha_list && beta_list);
    ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer_list));
    for (const auto& [shown, fails] : std::vector<std::pair<PCIDLIST_ABSOLUTE, Fails>>{
             {alpha_list, Fails::nothing}, {computer_list, Fails::nothing}, {beta_list, Fails::item},
             {beta_list, Fails::nothing}, {beta_list, Fails::service_provider}, {beta_list, Fails::query_service},
             {beta_list, Fails::active_view}, {beta_list, Fails::folder_view}, {beta_list, Fails::get_folder},
             {beta_list, Fails::cur_folder}, {alpha_list, Fails::nothing}}) {
      shell.windows.push_back(std::make_unique<ExplorerWindow>(shown, fails));
    }
  }
  void TearDown() override {
    ILFree(alpha_list), ILFree(beta_list), ILFree(computer_list);
    ComTest::TearDown();
  }
};

TEST_F(ExplorerFolders, FileSystemFoldersInWindowOrderWithDuplicatesAndEveryReferenceReturned) {
  EXPECT_EQ(winshell::explorer_folders(shell), (std::vector<std::string>{alpha, beta, alpha}));
  std::vector<LONG> every(shell.windows.size());
  std::iota(every.begin(), every.end(), 0);
  EXPECT_EQ(shell.asked, every);
  EXPECT_TRUE(shell.balanced());
  for (std::size_t i = 0; i < shell.windows.size(); ++i) EXPECT_TRUE(shell.windows[i]->balanced()) << "window " << i;
}

TEST_F(ExplorerFolders, FreesEveryIdListItIsGivenOnce) {
  const HRESULT registered = CoRegisterMallocSpy(&free_watch);
  if (FAILED(registered)) GTEST_SKIP() << "CoRegisterMallocSpy failed (" << registered << "): frees cannot be watched";
  free_watch.start();
  const std::vector<std::string> folders = winshell::explorer_folders(shell);
  free_watch.on = false;
  CoRevokeMallocSpy();
  EXPECT_EQ(folders.size(), 3u);
  EXPECT_EQ(free_watch.handed, 4);  // the three folders and "My Computer"
  EXPECT_EQ(free_watch.freed, free_watch.handed);
  EXPECT_EQ(free_watch.freed_again, 0);
}

// --- shell links ---------------------------------------------------------------------

struct ReadLink {
  std::wstring target, arguments, description, folder, icon;
  int icon_index = -1;
};

ReadLink read_link(const std::wstring& file) {
  ReadLink read;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> persist;
  PIDLIST_ABSOLUTE target = nullptr;
  wchar_t text[1024] = {};
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
      FAILED(link.As(&persist)) || FAILED(persist->Load(file.c_str(), STGM_READ))) {
    return ADD_FAILURE() << "cannot load " << base::narrow(file), read;
  }
  // Wine's GetPath answers with the file's ANSI copy of the path (Korean turns
  // into '?'); the ID list keeps the target whole, on Windows as well.
  if (SUCCEEDED(link->GetIDList(&target)) && SHGetPathFromIDListW(target, text)) read.target = text;
  ILFree(target);
  link->GetArguments(text, 1024), read.arguments = text;
  link->GetDescription(text, 1024), read.description = text;
  link->GetWorkingDirectory(text, 1024), read.folder = text;
  link->GetIconLocation(text, 1024, &read.icon_index), read.icon = text;
  return read;
}

std::vector<std::wstring> names_in(const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().wstring());
  return std::sort(names.begin(), names.end()), names;
}

std::string file_bytes(const std::string& path) {
  std::ifstream in(fs::path(base::widen(path)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct ShellLinkFile : ComTest {
  TempFolder temp;
  std::string target = temp.path("tools\\월말 도구.exe");
  void SetUp() override {
    ComTest::SetUp();
    ASSERT_TRUE(fs::create_directory(temp.wide(L"tools")));
    ASSERT_TRUE(std::ofstream(fs::path(base::widen(target)), std::ios::binary) << "MZ");
  }
};

TEST_F(ShellLinkFile, NewLinkCarriesTargetArgumentsDescriptionFolderAndIcon) {
  const std::string path = temp.path("월말 결산.lnk");
  const auto made = winshell::create_shell_link_file(path, target, "--open \"b7\"", "tolvik: open “월말 결산”");
  ASSERT_EQ(made.outcome, winshell::NewLink::created) << made.error;
  const ReadLink link = read_link(base::widen(path));
  EXPECT_EQ(link.target, base::widen(target));
  EXPECT_EQ(link.arguments, L"--open \"b7\"");
  EXPECT_EQ(link.description, L"tolvik: open “월말 결산”");
  EXPECT_EQ(link.folder, temp.wide(L"tools"));
  EXPECT_EQ(link.icon, base::widen(target));
  EXPECT_EQ(link.icon_index, 0);
  EXPECT_EQ(names_in(temp.wide()), (std::vector<std::wstring>{L"tools", L"월말 결산.lnk"}));
}

TEST_F(ShellLinkFile, TakenNameIsLeftAsItWasAndAMissingFolderFails) {
  const std::string path = temp.path("taken.lnk"), before = "not a link, and it must stay so\r\n";
  ASSERT_TRUE(std::ofstream(fs::path(base::widen(path)), std::ios::binary) << before);
  EXPECT_EQ(winshell::create_shell_link_file(path, target, "", "x").outcome, winshell::NewLink::name_taken);
  EXPECT_EQ(file_bytes(path), before);
  EXPECT_EQ(names_in(temp.wide()), (std::vector<std::wstring>{L"taken.lnk", L"tools"}));

  const auto nowhere = winshell::create_shell_link_file(temp.path("gone\\x.lnk"), target, "", "x");
  EXPECT_EQ(nowhere.outcome, winshell::NewLink::failed);
  EXPECT_FALSE(nowhere.error.empty());
  EXPECT_EQ(names_in(temp.wide()), (std::vector<std::wstring>{L"taken.lnk", L"tools"}));
}

TEST_F(ShellLinkFile, SavingReplacesAnExistingLink) {
  const std::string path = temp.path("replace.lnk");
  for (const char* arguments : {"--open \"first\"", "--open \"second\""}) {
    auto link = winshell::make_shell_link(target, arguments, "desc");
    ASSERT_TRUE(link) << link.error().text;
    const base::Status saved = winshell::save_shell_link(*link.value().Get(), path);
    ASSERT_TRUE(saved) << saved.error().text;
  }
  EXPECT_EQ(read_link(base::widen(path)).arguments, L"--open \"second\"");
}

// --- dropped data ----------------------------------------------------------------------

// A data object offering global memory blocks. Its media name it as their
// owner (pUnkForRelease), so each released medium gives its reference back.
struct FakeData final : Fake<IDataObject> {
  ~FakeData() { std::for_each(blocks.begin(), blocks.end(), GlobalFree); }
  STDMETHOD(GetData)(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (!offers(wanted)) return DV_E_FORMATETC;
    const std::vector<char>& bytes = offered[wanted->cfFormat];
    HGLOBAL block = blocks.emplace_back(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    *medium = {};
    medium->tymed = TYMED_HGLOBAL, medium->hGlobal = block, medium->pUnkForRelease = this;
    return AddRef(), S_OK;
  }
  STDMETHOD(QueryGetData)(FORMATETC* wanted) override { return offers(wanted) ? S_OK : DV_E_FORMATETC; }
  STUB(GetDataHere, FORMATETC*, STGMEDIUM*) STUB(GetCanonicalFormatEtc, FORMATETC*, FORMATETC*)
  STUB(SetData, FORMATETC*, STGMEDIUM*, BOOL) STUB(EnumFormatEtc, DWORD, IEnumFORMATETC**)
  STUB(DAdvise, FORMATETC*, DWORD, IAdviseSink*, DWORD*) STUB(DUnadvise, DWORD) STUB(EnumDAdvise, IEnumSTATDATA**)
  bool offers(const FORMATETC* w) {
    if (w->dwAspect != DVASPECT_CONTENT || w->lindex != -1 || w->ptd || w->tymed != TYMED_HGLOBAL) ++odd_requests;
    return offered.count(w->cfFormat) != 0 && (w->tymed & TYMED_HGLOBAL);
  }

  std::map<CLIPFORMAT, std::vector<char>> offered;
  std::vector<HGLOBAL> blocks;
  int odd_requests = 0;  // other than content, index -1, no device, global memory
};

const CLIPFORMAT kUrl = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocatorW"));

std::vector<char> text_block(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const char*>(text.c_str());
  return {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)};
}

// A shell file list of wide names, each ended by a NUL, and a NUL after the last.
std::vector<char> file_list(const std::vector<std::wstring>& names) {
  DROPFILES header{};
  header.pFiles = sizeof header, header.fWide = TRUE;
  std::vector<char> block(reinterpret_cast<const char*>(&header), reinterpret_cast<const char*>(&header + 1));
  for (const std::wstring& name : names) {
    const std::vector<char> one = text_block(name);
    block.insert(block.end(), one.begin(), one.end());
  }
  return block.insert(block.end(), sizeof(wchar_t), '\0'), block;
}

using DropData = ComTest;

TEST_F(DropData, FilesComeBeforeAWebAddressAndItBeforePlainText) {
  FakeData files, browser, blank_address;
  files.offered = {{CF_HDROP, file_list({L"C:\\data\\report.xlsx", L"C:\\데이터\\월말"})},
                   {kUrl, text_block(L"https://example.com/")}, {CF_UNICODETEXT, text_block(L"some text")}};
  const detect::DropPayload from_files = winshell::read_data_object(files);
  EXPECT_EQ(from_files.paths, (std::vector<std::string>{"C:\\data\\report.xlsx", "C:\\데이터\\월말"}));
  EXPECT_EQ(from_files.text, "");

  browser.offered = {{kUrl, text_block(L"https://example.com/월말?q=1")}, {CF_UNICODETEXT, text_block(L"Example")}};
  const detect::DropPayload from_browser = winshell::read_data_object(browser);
  EXPECT_TRUE(from_browser.paths.empty());
  EXPECT_EQ(from_browser.text, "https://example.com/월말?q=1");

  blank_address.offered = {{kUrl, text_block(L"   \t ")}, {CF_UNICODETEXT, text_block(L"https://example.org/b")}};
  EXPECT_EQ(winshell::read_data_object(blank_address).text, "https://example.org/b");
  for (const FakeData* data : {&files, &browser, &blank_address}) {
    EXPECT_TRUE(data->balanced()) << "a medium was not released, or released twice";
    EXPECT_EQ(data->odd_requests, 0);
  }
}

TEST_F(DropData, AListOfEmptyNamesGivesNothingUnlessThereIsText) {
  const std::vector<char> empty_names = file_list({L""});
  // The shell counts the empty name as one file, so the reader has to leave it out.
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, empty_names.size());
  std::memcpy(block, empty_names.data(), empty_names.size());
  EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(block), 0xFFFFFFFF, nullptr, 0), 1u);
  GlobalFree(block);

  FakeData only_names, with_text;
  only_names.offered = {{CF_HDROP, empty_names}};
  const detect::DropPayload nothing = winshell::read_data_object(only_names);
  EXPECT_TRUE(nothing.paths.empty());
  EXPECT_EQ(nothing.text, "");
  with_text.offered = {{CF_HDROP, empty_names}, {CF_UNICODETEXT, text_block(L"C:\\notes.txt")}};
  const detect::DropPayload text = winshell::read_data_object(with_text);
  EXPECT_TRUE(text.paths.empty());
  EXPECT_EQ(text.text, "C:\\notes.txt");
  EXPECT_TRUE(only_names.balanced() && with_text.balanced());
}

TEST_F(DropData, OffersOnlyFilesWebAddressesAndUnicodeText) {
  for (const CLIPFORMAT format : {static_cast<CLIPFORMAT>(CF_HDROP), kUrl, static_cast<CLIPFORMAT>(CF_UNICODETEXT)}) {
    FakeData data;
    data.offered = {{format, text_block(L"x")}};
    EXPECT_TRUE(winshell::offers_droppable_data(data)) << format;
    EXPECT_EQ(data.odd_requests, 0);
  }
  FakeData ansi_only, nothing;
  ansi_only.offered = {{CF_TEXT, {'x', '\0'}}};
  EXPECT_FALSE(winshell::offers_droppable_data(ansi_only));
  EXPECT_FALSE(winshell::offers_droppable_data(nothing));
}

TEST(DropNetworkPath, UncPathsInEitherSlashAreNetworkPathsLocalDrivesAreNot) {
  EXPECT_TRUE(winshell::is_network_path("\\\\server\\share\\x"));
  EXPECT_TRUE(winshell::is_network_path("//server/share/x"));
  EXPECT_FALSE(winshell::is_network_path("C:\\x"));
  EXPECT_FALSE(winshell::is_network_path("relative\\x"));
  // Long-path forms: a local drive after the prefix is local, "UNC" a server.
  EXPECT_FALSE(winshell::is_network_path("\\\\?\\C:\\x"));
  EXPECT_TRUE(winshell::is_network_path("\\\\?\\UNC\\server\\share\\x"));
}

}  // namespace
