#include "app/reach/console.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "app/bundles/review.h"
#include "app/opening/open.h"
#include "app/state/bundle_lookup.h"
#include "app/view/view_text.h"
#include "base/unicode.h"
#include "base/utf.h"
#include "lang/lang.h"

namespace app::console {
namespace {

bool is_option(std::string_view arg, std::string_view option) { return base::ascii_iequals(arg, option); }

// A field of a --list line: a tab or line break would start another field or line.
std::string one_line(std::string_view text) {
  std::string line(text);
  std::replace_if(line.begin(), line.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return line;
}

// Columns the text takes in a console: Hangul, kana and CJK take two.
std::size_t columns(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = base::decode_utf8(text, pos);
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
                      (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFF60);
    width += wide ? 2 : 1;
  }
  return width;
}

Output refused(std::string text) { return Output{kExitRefused, {}, std::move(text) + "\n"}; }

// The bundle `wanted` names, or the refusal to print.
base::Result<const bundle::Bundle*> find(const base::Result<bundle::Store>& loaded, std::string_view wanted) {
  if (!loaded) return base::fail(unreadable_bundles_text(loaded.error(), "\n"));
  const BundleMatch match = match_bundle(*loaded, wanted);
  if (match.bundle) return match.bundle;
  if (match.ambiguous()) return base::fail(ambiguous_name_text(wanted, match.same_name_ids));
  return base::fail(lang::fill(lang::text("‘{0}’ id 나 이름의 묶음이 없습니다.", "No bundle has the id or name “{0}”."),
                               {wanted}));
}

Output open(const base::Result<bundle::Store>& loaded, std::string_view wanted, Opener& opener,
            const RecordOpening& record) {
  auto found = find(loaded, wanted);
  if (!found) return refused(found.error().text);
  const bundle::Bundle& bundle = **found;
  // The question about what came from a file needs the window: tolvik.exe asks it.
  if (!unreviewed_items(bundle.items).empty()) {
    return Output{kExitUnreviewed, {},
                  lang::fill(lang::text("‘{0}’ 묶음은 파일에서 가져온 뒤 아직 확인하지 않은 항목이 있어 열지 "
                                        "않았습니다. 한 번은 tolvik.exe --open {1} 로 열어 확인하세요.",
                                        "“{0}” came from a file and has items not reviewed yet, so nothing was "
                                        "opened. Open it once with tolvik.exe --open {1} to review them."),
                             {bundle.name, bundle.id}) +
                      "\n"};
  }
  const OpenResult result = open_items(bundle.items, opener);
  if (record) record(bundle.id, bundle.items, result);
  return open_report(bundle.items, result);
}

Output close(const base::Result<bundle::Store>& loaded, std::string_view wanted, const CloseLast& close_last) {
  auto found = find(loaded, wanted);
  if (!found) return refused(found.error().text);
  return close_report((*found)->name, close_last((*found)->id));
}

}  // namespace

base::Result<Plan> plan_command(const std::vector<std::string>& args) {
  const std::vector<std::string> given(args.begin() + (args.empty() ? 0 : 1), args.end());
  Plan plan;
  if (given.empty()) return plan;
  const std::string& first = given.front();
  auto unknown = [](std::string_view arg) -> base::Result<Plan> {
    return base::fail(lang::fill(lang::text("알 수 없는 인수입니다: {0}", "Unknown argument: {0}"), {arg}));
  };
  if (given.size() == 1 && (is_option(first, "--help") || first == "-h" || first == "/?")) return plan;
  if (is_option(first, "--open") || is_option(first, "--close")) {
    if (given.size() < 2 || given[1].empty()) {
      return base::fail(lang::fill(
          lang::text("{0} 다음에 묶음의 id 나 이름을 주세요.", "{0} needs the id or name of a bundle."), {first}));
    }
    if (given.size() > 2) return unknown(given[2]);
    plan.command = is_option(first, "--open") ? Command::open : Command::close;
    plan.bundle = given[1];
    return plan;
  }
  // --list, once, and --json at most once, in either order.
  bool list = false;
  for (const std::string& arg : given) {
    if (is_option(arg, "--list") && !list) {
      list = true;
    } else if (is_option(arg, "--json") && !plan.json) {
      plan.json = true;
    } else {
      return unknown(arg);
    }
  }
  if (!list) return unknown(first);
  plan.command = Command::list;
  return plan;
}

std::string list_lines(const bundle::Store& store) {
  std::string out;
  for (const bundle::Bundle& b : store.bundles) {
    out += one_line(b.id) + '\t' + one_line(b.name) + '\t' + std::to_string(b.items.size()) + '\n';
  }
  return out;
}

std::string list_json(const bundle::Store& store) {
  nlohmann::json list = nlohmann::json::array();
  for (const bundle::Bundle& b : store.bundles) {
    list.push_back({{"id", b.id}, {"name", b.name}, {"items", b.items.size()}});
  }
  return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

Output open_report(const std::vector<bundle::Item>& items, const OpenResult& result) {
  Output output;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemOutcome outcome = i < result.items.size() ? result.items[i] : ItemOutcome{};
    if (went_well(outcome.state)) continue;
    output.code = kExitIncomplete;
    output.err += std::to_string(i + 1) + ": " + one_line(items[i].target) + " \u2014 " + one_line(outcome_reason(outcome)) +
                  "\n";
  }
  return output;
}

Output close_report(std::string_view bundle_name, const CloseReport& report) {
  switch (report.kind) {
    case CloseReport::Kind::nothing_recorded:
      return Output{kExitDone,
                    lang::fill(lang::text("‘{0}’ 묶음을 연 기록이 없어 닫을 것이 없습니다.",
                                          "Nothing to close: no opening of “{0}” is recorded."),
                               {bundle_name}) +
                        "\n",
                    {}};
    case CloseReport::Kind::unreadable:
      return Output{kExitIncomplete, {},
                    lang::fill(lang::text("닫지 못했습니다: {0}", "Couldn't close: {0}"), {bundle_name}) + "\n" +
                        report.text + "\n"};
    case CloseReport::Kind::closed:
      break;
  }
  return Output{report.left_open ? kExitIncomplete : kExitDone, report.text + "\n", {}};
}

std::string help_text() {
  // The commands as typed stay the same in every language; only what people
  // read beside them is looked up.
  const std::string id_or_name = "\"<" + std::string(lang::text("id 또는 이름", "id or name")) + ">\"";
  const std::string list = "tolvikc --list [--json]";
  const std::string open = "tolvikc --open " + id_or_name;
  const std::string close = "tolvikc --close " + id_or_name;
  const std::string help = "tolvikc --help";
  const std::size_t width = std::max({columns(list), columns(open), columns(close)}) + 3;
  auto row = [width](const std::string& command, std::string_view what) {
    return "  " + command + std::string(width - columns(command), ' ') + std::string(what) + "\n";
  };
  auto code = [](int exit_code, std::string_view what) {
    return "  " + std::to_string(exit_code) + "  " + std::string(what) + "\n";
  };
  return std::string(lang::text("tolvikc 는 스크립트에서 tolvik 의 묶음을 열고 닫습니다.",
                                "tolvikc opens and closes tolvik's bundles from scripts.")) +
         "\n\n" +
         row(list, lang::text("묶음 목록: id, 이름, 항목 수.", "Lists the bundles: id, name, item count.")) +
         row(open, lang::text("묶음을 열고 다 열릴 때까지 기다립니다.", "Opens a bundle and waits until it has opened.")) +
         row(close, lang::text("묶음을 마지막으로 열 때 시작한 것을 닫습니다.",
                               "Closes what the bundle's last opening started.")) +
         row(help, lang::text("이 도움말을 보여 줍니다.", "Shows this text.")) + "\n" +
         std::string(lang::text("종료 코드:", "Exit codes:")) + "\n" +
         code(kExitDone, lang::text("끝났습니다.", "Done.")) +
         code(kExitIncomplete, lang::text("열지 못했거나 닫지 못한 것이 있습니다 (표준 오류에 적습니다).",
                                          "Something did not open, or was left open (listed on standard error).")) +
         code(kExitRefused, lang::text("인수가 잘못됐거나, 그런 묶음이 없거나 여럿이거나, 저장한 묶음을 읽을 수 없습니다.",
                                       "Bad arguments, no such bundle or more than one, or the saved bundles can't "
                                       "be read.")) +
         code(kExitUnreviewed, lang::text("파일에서 가져온 묶음을 아직 확인하지 않았습니다. tolvik.exe --open 으로 한 "
                                          "번 여세요.",
                                          "The bundle came from a file and hasn't been reviewed yet: open it once "
                                          "with tolvik.exe --open."));
}

Output run(const Plan& plan, const base::Result<bundle::Store>& loaded, Opener& opener, const RecordOpening& record,
           const CloseLast& close_last) {
  switch (plan.command) {
    case Command::help:
      return Output{kExitDone, help_text(), {}};
    case Command::list: {
      if (!loaded) return refused(unreadable_bundles_text(loaded.error(), "\n"));
      return Output{kExitDone, plan.json ? list_json(*loaded) : list_lines(*loaded), {}};
    }
    case Command::open:
      return open(loaded, plan.bundle, opener, record);
    case Command::close:
      return close(loaded, plan.bundle, close_last);
  }
  return Output{};
}

}  // namespace app::console
