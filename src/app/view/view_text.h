#pragma once
// The texts of the main view, shared by its layout (which measures them) and
// its painting (which draws them). Each is looked up in the current language.

#include <cstddef>
#include <string>
#include <string_view>

#include "lang/lang.h"

namespace app::view_text {

// Shown in every language.
inline constexpr std::string_view kProductName = "tolvik";

inline std::string_view new_bundle() { return lang::text("새 묶음", "New bundle"); }
inline std::string item_count(std::size_t count) {
  return lang::count_text(count, "항목 {0}개", "{0} item", "{0} items");
}
inline std::string_view open() { return lang::text("열기", "Open"); }
// The Open button of the bundle being opened: clicking it stops the opening.
inline std::string stop_progress(std::size_t done, std::size_t total) {
  return lang::fill(lang::text("중지 · {0}/{1}", "Stop · {0}/{1}"), {std::to_string(done), std::to_string(total)});
}
// The same once Stop was pressed, until the item being opened is through.
inline std::string_view stopping() { return lang::text("멈추는 중…", "Stopping…"); }
// A bundle row's Open button while that bundle opens.
inline std::string row_progress(std::size_t done, std::size_t total) {
  return std::to_string(done) + "/" + std::to_string(total);
}
inline std::string_view no_bundles_yet() { return lang::text("아직 묶음이 없습니다", "No bundles yet"); }
inline std::string_view no_bundle_matches() {
  return lang::text("‘{0}’ 와 맞는 묶음이 없습니다", "No bundle matches “{0}”");
}
inline std::string_view not_found_count() { return lang::text("찾을 수 없음 {0}", "{0} not found"); }
inline std::string_view rename_hint() {
  return lang::text("이름을 누르면 바꿀 수 있습니다 (F2)", "Click the name to rename it (F2)");
}
inline std::string_view add_files() { return lang::text("파일 추가…", "Add files…"); }
inline std::string_view add_folder() { return lang::text("폴더 추가…", "Add folder…"); }
inline std::string_view add_app() { return lang::text("앱 추가…", "Add app…"); }
inline std::string_view add_web_address() { return lang::text("주소 추가…", "Add web address…"); }
inline std::string_view web_entry_hint() {
  return lang::text("Enter 넣기 · Esc 그만두기", "Enter to add · Esc to cancel");
}
inline std::string_view drop_files_here() {
  return lang::text("파일·폴더·바로 가기를 여기로 끌어다 놓으세요", "Drag files, folders or shortcuts here");
}
inline std::string_view drop_web_addresses() {
  return lang::text("웹 주소는 브라우저에서 끌어 오거나 Ctrl+V 로 붙여 넣으세요",
                    "Drag web addresses from your browser, or paste them with Ctrl+V");
}
inline std::string_view not_found() { return lang::text("찾을 수 없음", "Not found"); }
// The marks of items the last opening could not open.
inline std::string_view could_not_open() { return lang::text("열지 못함", "Couldn't open"); }
inline std::string_view consent_declined() { return lang::text("승인 거부됨", "Consent declined"); }
inline std::string_view timed_out_waiting() { return lang::text("기다리다 시간 초과", "Timed out waiting"); }
inline std::string_view welcome_title() {
  return lang::text("업무에 필요한 것 한 번에 열기", "Open everything a task needs in one click");
}
inline std::string_view welcome_paragraph() {
  return lang::text(
      "‘월말 정산’을 누르면 정산 폴더, 기준 엑셀 파일, 회계 사이트를 함께 엽니다. 자주 반복하는 작업마다 "
      "앱·문서·폴더·주소를 한 묶음으로 저장해 두세요.",
      "Click “Month-end closing” and its folder, the reference spreadsheet and the accounting site open "
      "together. Save the apps, documents, folders and web addresses of each task you repeat as one bundle.");
}
inline std::string_view create_first_bundle() { return lang::text("첫 묶음 만들기", "Create your first bundle"); }
inline std::string_view welcome_drop_hint() {
  return lang::text("파일이나 폴더를 이 창에 끌어다 놓아도 새 묶음이 생깁니다",
                    "You can also drag files or folders onto this window to start a bundle");
}
inline std::string_view choose_a_bundle() { return lang::text("왼쪽에서 묶음을 고르세요", "Choose a bundle on the left"); }
inline std::string_view undo() { return lang::text("되돌리기", "Undo"); }
inline std::string_view retry() { return lang::text("다시 시도", "Retry"); }
// Names that screen readers speak for what shows only an icon, or nothing.
inline std::string_view settings() { return lang::text("설정", "Settings"); }
inline std::string_view more_actions() { return lang::text("더 보기", "More actions"); }
inline std::string_view bundles() { return lang::text("묶음", "Bundles"); }
inline std::string_view items() { return lang::text("항목", "Items"); }

}  // namespace app::view_text
