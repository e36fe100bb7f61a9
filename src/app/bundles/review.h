#pragma once
// What came from someone else's bundle file and would start something: apps,
// program and script files, addresses other than web pages. The import marks
// such items; the first opening lists them and asks once; Yes clears the marks
// and is saved. What the user adds by hand is never marked, so only what came
// from the file is ever asked about.
// Defined in review.cpp.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bundle/model.h"

namespace app {

struct AppState;

// True for an app, a path whose file type runs code, or a target that goes to
// a handler other than the web browser (any scheme but http and https).
bool starts_code(const bundle::Item& item);

// The import's rule: exactly the items that start code are marked; a mark
// read from the file itself counts for nothing.
void mark_for_review(bundle::Bundle& bundle);

// Positions of the marked items, in order.
std::vector<std::size_t> unreviewed_items(const std::vector<bundle::Item>& items);

// The bundle's name, "This bundle came from a file and will start:" and one
// line per asked item (label, target, an app's arguments).
std::string review_question(const bundle::Bundle& bundle, const std::vector<std::size_t>& positions);

// After a Yes: clears the marks at `positions` of the bundle `bundle_id`, but
// only when it still holds exactly the items that were shown (the question's
// modal loop lets other work change the bundles). False when it does not.
bool clear_review_marks(bundle::Store& store, std::string_view bundle_id, const std::vector<bundle::Item>& shown,
                        const std::vector<std::size_t>& positions);

// UI thread, before opening the bundle `bundle_id` (or only its item at
// `only`): asks about its marked items when there are any and saves a Yes.
// True when the opening may go on. The id is taken by value: the question's
// modal loop may change the bundle that held it.
bool confirm_start(AppState& state, std::string bundle_id, std::optional<std::size_t> only = std::nullopt);

}  // namespace app
