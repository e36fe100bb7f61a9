// The main window's UI Automation provider, in the process: the real window
// class and procedure, a state with bundles, and the provider objects that
// WM_GETOBJECT hands out, walked as a client walks them.

#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "app/state/messages_win.h"
#include "app/state/program_names_win.h"
#include "app/view/access_tree.h"
#include "app/window/state_slot_win.h"
#include "app/window/uia_patterns_win.h"
#include "app/window/window_win.h"
#include "base/utf.h"
#include "bundle/model.h"

// The pattern interfaces as a client calls them (vtable order of the SDK).

namespace {

using Microsoft::WRL::ComPtr;
using InvokeCalls = app::uia::InvokePattern;
using SelectionItemCalls = app::uia::SelectionItemPattern;
using app::uia::kIidInvoke;
using app::uia::kIidSelectionItem;

// The control types the model's roles are told as.
constexpr long kButton = 50000, kEdit = 50004, kListItem = 50007, kList = 50008, kText = 50020, kWindow = 50032;
constexpr PATTERNID kSelectionItemPattern = 10010;
// Of uiautomationcoreapi.h, whose MinGW copy does not compile as C++.
constexpr LPARAM kRootObjectId = -25;
constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);


long control_type(app::AccessRole role) {
  switch (role) {
    case app::AccessRole::window: return kWindow;
    case app::AccessRole::button: return kButton;
    case app::AccessRole::edit: return kEdit;
    case app::AccessRole::list: return kList;
    case app::AccessRole::list_item: return kListItem;
    case app::AccessRole::text: break;
  }
  return kText;
}

std::string text_property(IRawElementProviderSimple* element, PROPERTYID property) {
  VARIANT value;
  VariantInit(&value);
  EXPECT_HRESULT_SUCCEEDED(element->GetPropertyValue(property, &value));
  std::string text = value.vt == VT_BSTR ? base::narrow(value.bstrVal) : std::string();
  VariantClear(&value);
  return text;
}

long number_property(IRawElementProviderSimple* element, PROPERTYID property) {
  VARIANT value;
  VariantInit(&value);
  EXPECT_HRESULT_SUCCEEDED(element->GetPropertyValue(property, &value));
  const long number = value.vt == VT_I4 ? value.lVal : -1;
  VariantClear(&value);
  return number;
}

ComPtr<IRawElementProviderSimple> simple(IRawElementProviderFragment* fragment) {
  ComPtr<IRawElementProviderSimple> out;
  EXPECT_HRESULT_SUCCEEDED(fragment->QueryInterface(IID_PPV_ARGS(&out)));
  return out;
}

// A walk of the fragment tree through Navigate, depth first, as a reader walks it.
struct Walked {
  ComPtr<IRawElementProviderFragment> fragment;
  std::string name;
  long type = 0;
  int depth = 0;
};
void walk(IRawElementProviderFragment* parent, int depth, std::vector<Walked>& out) {
  ComPtr<IRawElementProviderFragment> child;
  ASSERT_HRESULT_SUCCEEDED(parent->Navigate(NavigateDirection_FirstChild, &child));
  while (child) {
    ComPtr<IRawElementProviderSimple> s = simple(child.Get());
    out.push_back({child, text_property(s.Get(), UIA_NamePropertyId), number_property(s.Get(), UIA_ControlTypePropertyId),
                   depth});
    ComPtr<IRawElementProviderFragment> back;
    EXPECT_HRESULT_SUCCEEDED(child->Navigate(NavigateDirection_Parent, &back));
    EXPECT_TRUE(back) << "every child leads back to its parent";
    walk(child.Get(), depth + 1, out);
    ComPtr<IRawElementProviderFragment> next;
    ASSERT_HRESULT_SUCCEEDED(child->Navigate(NavigateDirection_NextSibling, &next));
    child = next;
  }
}

class UiaProviderTest : public testing::Test {
 protected:
  void SetUp() override {
    app::register_main_window_class(GetModuleHandleW(nullptr));  // false when an earlier test registered it
    window = CreateWindowExW(0, app::kWindowClass, L"provider test", WS_OVERLAPPEDWINDOW, 40, 40, 900, 600,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    auto main = std::make_unique<app::MainWindow>(window);
    main->state.dpi = 96;
    main->take_client_size();
    for (int i = 0; i < 3; ++i) {
      bundle::Bundle b{"b" + std::to_string(i), "Bundle " + std::to_string(i), {}};
      // A target that does not exist: opening it starts nothing.
      b.items.push_back(bundle::Item{bundle::Kind::file, folder.path("missing-" + std::to_string(i) + ".txt"), {}, {}});
      main->state.store.bundles.push_back(std::move(b));
    }
    main->state.selected_bundle = 0;
    app::install_main_window(std::move(main));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    repaint();
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static app::MainWindow& main() { return *app::state_slot().main; }
  // A frame, as the window draws one after a change: the snapshot follows it.
  void repaint() {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
  // Runs the window's messages until `done` or two seconds have passed.
  template <class Done>
  bool pump_until(Done done) {
    for (int round = 0; round < 200 && !done(); ++round) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
    return done();
  }
  ComPtr<IRawElementProviderFragment> root_fragment() {
    const ComPtr<IRawElementProviderSimple> root = main().access.root();
    ComPtr<IRawElementProviderFragment> fragment;
    EXPECT_HRESULT_SUCCEEDED(root.As(&fragment));
    return fragment;
  }
  ComPtr<IRawElementProviderFragment> find(const std::string& name, long type) {
    std::vector<Walked> all;
    walk(root_fragment().Get(), 0, all);
    for (const Walked& w : all) {
      if (w.name == name && w.type == type) return w.fragment;
    }
    return nullptr;
  }

  HWND window = nullptr;
  struct Folder {
    std::string path(const std::string& name) const {
      wchar_t temp[MAX_PATH + 1] = {};
      GetTempPathW(MAX_PATH + 1, temp);
      return base::narrow(temp) + "tolvik-uia-test-nothing-here\\" + name;
    }
  } folder;
};

TEST_F(UiaProviderTest, TheWindowAnswersWithItsRootProviderAlsoWhileTheStateIsInUse) {
  const LRESULT free = SendMessageW(window, WM_GETOBJECT, 0, kRootObjectId);
  if (free == 0) {
    GTEST_SKIP() << "this uiautomationcore.dll hands out no provider through UiaReturnRawElementProvider";
  }
  app::Borrow handler;  // as inside a handler's modal loop
  ASSERT_TRUE(handler.get());
  EXPECT_NE(SendMessageW(window, WM_GETOBJECT, 0, kRootObjectId), 0);
  // Other object ids are left to the system.
  EXPECT_EQ(SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_VSCROLL)),
            DefWindowProcW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_VSCROLL)));
}

TEST_F(UiaProviderTest, TheElementsHaveTheModelsNamesTypesRectanglesAndPatterns) {
  // The layout is in pixels at the window's DPI, and so are the screen's rectangles.
  std::vector<float> settings_widths;
  for (const std::uint32_t dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    main().state.dpi = dpi;
    main().state.redraw();
    repaint();
    const app::AccessTree& model = main().access.snapshot();
    ASSERT_GT(model.elements.size(), 5u) << "the frame made the snapshot";
    for (const app::AccessElement& e : model.elements) {
      if (e.region && e.region->kind == app::RegionKind::settings_menu) settings_widths.push_back(e.rect.w);
    }

    std::vector<Walked> walked;
    walk(root_fragment().Get(), 0, walked);
    // Every element of the model but the native fields, in the model's order.
    std::vector<const app::AccessElement*> expected;
    for (std::size_t i = 1; i < model.elements.size(); ++i) {
      if (!model.elements[i].native) expected.push_back(&model.elements[i]);
    }
    std::vector<const app::AccessElement*> in_walk_order;
    for (const Walked& w : walked) {
      ComPtr<IRawElementProviderSimple> s = simple(w.fragment.Get());
      SAFEARRAY* id = nullptr;
      ASSERT_HRESULT_SUCCEEDED(w.fragment->GetRuntimeId(&id));
      ASSERT_TRUE(id);
      SafeArrayDestroy(id);
      for (const app::AccessElement* e : expected) {
        if (e->name == w.name && control_type(e->role) == w.type) in_walk_order.push_back(e);
      }
    }
    ASSERT_EQ(walked.size(), expected.size());
    ASSERT_EQ(in_walk_order.size(), expected.size()) << "each element found once by name and type";

    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    for (std::size_t i = 0; i < walked.size(); ++i) {
      const app::AccessElement& e = *in_walk_order[i];
      SCOPED_TRACE(e.name);
      UiaRect rect{};
      ASSERT_HRESULT_SUCCEEDED(walked[i].fragment->get_BoundingRectangle(&rect));
      EXPECT_DOUBLE_EQ(rect.left, origin.x + e.rect.x);
      EXPECT_DOUBLE_EQ(rect.top, origin.y + e.rect.y);
      EXPECT_DOUBLE_EQ(rect.width, e.rect.w);
      EXPECT_DOUBLE_EQ(rect.height, e.rect.h);
      ComPtr<IRawElementProviderSimple> s = simple(walked[i].fragment.Get());
      EXPECT_EQ(text_property(s.Get(), UIA_HelpTextPropertyId), e.help);
      ComPtr<IUnknown> invoke, select;
      ASSERT_HRESULT_SUCCEEDED(s->GetPatternProvider(UIA_InvokePatternId, &invoke));
      ASSERT_HRESULT_SUCCEEDED(s->GetPatternProvider(kSelectionItemPattern, &select));
      EXPECT_EQ(invoke != nullptr, e.invokable);
      EXPECT_EQ(select != nullptr, e.selectable);
    }
  }

  ASSERT_EQ(settings_widths.size(), 2u);
  EXPECT_GT(settings_widths[1], settings_widths[0]) << "the second snapshot was made at 144 DPI";

  // The three bundle rows, under their list.
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(find("Bundle " + std::to_string(i), kListItem)) << i;
  }
  EXPECT_TRUE(find("Settings", kButton));
  EXPECT_TRUE(find("Bundles", kList));
}

TEST_F(UiaProviderTest, InvokeOnABundleRowOpensItAndSelectMovesTheSelection) {
  ComPtr<IRawElementProviderFragment> row = find("Bundle 2", kListItem);
  ASSERT_TRUE(row);
  ComPtr<IUnknown> pattern;
  ASSERT_HRESULT_SUCCEEDED(simple(row.Get())->GetPatternProvider(kSelectionItemPattern, &pattern));
  ComPtr<SelectionItemCalls> select;
  ASSERT_HRESULT_SUCCEEDED(pattern->QueryInterface(kIidSelectionItem, reinterpret_cast<void**>(select.GetAddressOf())));
  BOOL selected = TRUE;
  ASSERT_HRESULT_SUCCEEDED(select->get_IsSelected(&selected));
  EXPECT_FALSE(selected);
  ASSERT_HRESULT_SUCCEEDED(select->Select());
  EXPECT_TRUE(pump_until([] { return main().state.selected_bundle == 2u; }));
  repaint();
  ASSERT_HRESULT_SUCCEEDED(select->get_IsSelected(&selected));
  EXPECT_TRUE(selected);

  ComPtr<IUnknown> invoke_pattern;
  ASSERT_HRESULT_SUCCEEDED(simple(row.Get())->GetPatternProvider(UIA_InvokePatternId, &invoke_pattern));
  ComPtr<InvokeCalls> invoke;
  ASSERT_HRESULT_SUCCEEDED(invoke_pattern->QueryInterface(kIidInvoke, reinterpret_cast<void**>(invoke.GetAddressOf())));
  const std::string key = bundle::item_key(main().state.store.bundles[2].items[0].target);
  ASSERT_HRESULT_SUCCEEDED(invoke->Invoke());
  // The opening runs on its worker, finds the file missing and says so in its summary.
  ASSERT_FALSE(main().state.toast);
  EXPECT_TRUE(pump_until([] { return main().state.toast && !main().state.opening; }));
  EXPECT_EQ(main().state.missing_targets.count(key), 1u);
  repaint();
  bool announced = false;
  for (const app::AccessElement& e : main().access.snapshot().elements) announced = announced || e.live;
  EXPECT_TRUE(announced) << "the summary toast is in the tree";
}

TEST_F(UiaProviderTest, SetFocusOnAnItemPutsTheKeyboardThereAndTheRootReportsIt) {
  std::string item_name;
  for (const app::AccessElement& e : main().access.snapshot().elements) {
    if (e.region && e.region->kind == app::RegionKind::item_row) item_name = e.name;
  }
  ASSERT_FALSE(item_name.empty());
  ComPtr<IRawElementProviderFragment> item = find(item_name, kListItem);
  ASSERT_TRUE(item);
  ASSERT_HRESULT_SUCCEEDED(item->SetFocus());
  EXPECT_TRUE(pump_until([] { return main().state.focus == app::Region{app::RegionKind::item_row, 0}; }));
  EXPECT_EQ(main().state.selected_item, 0u);
  repaint();
  ComPtr<IRawElementProviderFragmentRoot> root;
  ASSERT_HRESULT_SUCCEEDED(root_fragment().As(&root));
  ComPtr<IRawElementProviderFragment> focused;
  ASSERT_HRESULT_SUCCEEDED(root->GetFocus(&focused));
  ASSERT_TRUE(focused);
  EXPECT_EQ(text_property(simple(focused.Get()).Get(), UIA_NamePropertyId), item_name);
}

TEST_F(UiaProviderTest, AnElementWhoseBundleWentAnswersThatItIsNotAvailable) {
  ComPtr<IRawElementProviderFragment> row = find("Bundle 1", kListItem);
  ASSERT_TRUE(row);
  main().state.store.bundles.erase(main().state.store.bundles.begin() + 1);
  main().state.redraw();
  repaint();
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(simple(row.Get())->GetPropertyValue(UIA_NamePropertyId, &value), kElementNotAvailable);
  UiaRect rect{};
  EXPECT_EQ(row->get_BoundingRectangle(&rect), kElementNotAvailable);
  EXPECT_FALSE(find("Bundle 1", kListItem));
  EXPECT_TRUE(find("Bundle 2", kListItem));
}

}  // namespace
