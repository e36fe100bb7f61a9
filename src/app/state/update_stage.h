#pragma once
// Where the one update a window deals with at a time stands: none, its offer
// being answered, or its installer being downloaded.

#include <cstdint>
#include <optional>

namespace app {

struct UpdateStage {
  enum class Step { none, asking, downloading } step = Step::none;
  std::uint64_t received = 0;  // bytes of the installer so far
  std::uint64_t size = 0;      // the offered size; 0 when the manifest gave none

  bool busy() const { return step != Step::none; }
  // 0-100 while downloading an installer of known size.
  std::optional<int> percent() const {
    if (step != Step::downloading || size == 0) return std::nullopt;
    return static_cast<int>(received >= size ? 100 : received * 100 / size);
  }
};

}  // namespace app
