// Loading and saving stores of 1,000 to 100,000 bundles (ten items each),
// next to the JSON library alone doing the same work on the same text (the
// floor). Compare ours with the floor of the same run and the same size:
// StoreLoad/Ours/N vs StoreLoad/LibraryParse/N, StoreSave/Ours/N vs
// StoreSave/LibraryDump/N, StoreRoundTrip/Ours/N vs StoreRoundTrip/Library/N.
// `make bench` runs these with --benchmark_format=json and puts the ratios
// into docs/PERFORMANCE.md (scripts/perf-report.py).

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "bundle/store_file.h"

namespace {

using bundle::Bundle;
using bundle::Item;
using bundle::Kind;
using bundle::Store;

constexpr int kItemsPerBundle = 10;
constexpr std::int64_t kStoreSizes[] = {1000, 3000, 10000, 30000, 100000};

Store make_store(std::int64_t bundles) {
  Store s;
  s.bundles.reserve(static_cast<std::size_t>(bundles));
  for (std::int64_t b = 0; b < bundles; ++b) {
    Bundle bundle{"b18f0a1b2c3d4" + std::to_string(100000 + b), "작업 묶음 " + std::to_string(b), {}};
    bundle.items.reserve(kItemsPerBundle);
    for (int i = 0; i < kItemsPerBundle; ++i) {
      const Kind kind = static_cast<Kind>(i % 4);
      std::string target = kind == Kind::url
                               ? "https://host.example/docs/page" + std::to_string(i) + "?q=\"x\""
                               : "C:\\Users\\someone\\Documents\\프로젝트\\file" + std::to_string(i) + ".txt";
      bundle.items.push_back(Item{kind, std::move(target), i % 3 == 0 ? "--profile \"Work 1\"" : "",
                                  i % 5 == 0 ? "Item " + std::to_string(i) : ""});
    }
    s.bundles.push_back(std::move(bundle));
  }
  return s;
}

// One store and its saved text per size, made once on first use; the largest
// sizes are made only when a benchmark of that size runs.
struct Sample {
  Store store;
  std::string text;
};

const Sample& sample(std::int64_t bundles) {
  static std::map<std::int64_t, std::unique_ptr<Sample>> made;
  std::unique_ptr<Sample>& held = made[bundles];
  if (!held) {
    held = std::make_unique<Sample>();
    held->store = make_store(bundles);
    held->text = bundle::serialize_store(held->store);
  }
  return *held;
}

void count_bytes(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["bundles"] = static_cast<double>(state.range(0));
  state.counters["file_bytes"] = static_cast<double>(text.size());
}

void StoreLoad_Ours(benchmark::State& state) {
  const std::string& text = sample(state.range(0)).text;
  for (auto _ : state) {
    auto store = bundle::parse_store(text);
    benchmark::DoNotOptimize(store);
  }
  count_bytes(state, text);
}

void StoreLoad_LibraryParse(benchmark::State& state) {
  const std::string& text = sample(state.range(0)).text;
  for (auto _ : state) {
    auto json = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(json);
  }
  count_bytes(state, text);
}

void StoreSave_Ours(benchmark::State& state) {
  const Sample& s = sample(state.range(0));
  for (auto _ : state) {
    std::string text = bundle::serialize_store(s.store);
    benchmark::DoNotOptimize(text);
  }
  count_bytes(state, s.text);
}

void StoreSave_LibraryDump(benchmark::State& state) {
  const std::string& text = sample(state.range(0)).text;
  const nlohmann::json json = nlohmann::json::parse(text);
  for (auto _ : state) {
    std::string dumped = json.dump(2);
    benchmark::DoNotOptimize(dumped);
  }
  count_bytes(state, text);
}

void StoreRoundTrip_Ours(benchmark::State& state) {
  const std::string& text = sample(state.range(0)).text;
  for (auto _ : state) {
    auto store = bundle::parse_store(text);
    std::string again = bundle::serialize_store(*store);
    benchmark::DoNotOptimize(again);
  }
  count_bytes(state, text);
}

void StoreRoundTrip_Library(benchmark::State& state) {
  const std::string& text = sample(state.range(0)).text;
  for (auto _ : state) {
    std::string again = nlohmann::json::parse(text).dump(2);
    benchmark::DoNotOptimize(again);
  }
  count_bytes(state, text);
}

// Size by size, ours and its floor one after the other, so that both see the
// same state of the machine.
const bool kRegistered = [] {
  using Function = void (*)(benchmark::State&);
  const struct {
    const char* name;
    Function function;
  } pairs[] = {
      {"StoreLoad/Ours", StoreLoad_Ours},           {"StoreLoad/LibraryParse", StoreLoad_LibraryParse},
      {"StoreSave/Ours", StoreSave_Ours},           {"StoreSave/LibraryDump", StoreSave_LibraryDump},
      {"StoreRoundTrip/Ours", StoreRoundTrip_Ours}, {"StoreRoundTrip/Library", StoreRoundTrip_Library},
  };
  for (std::int64_t bundles : kStoreSizes) {
    for (const auto& pair : pairs) {
      benchmark::RegisterBenchmark(pair.name, pair.function)
          ->Arg(bundles)
          ->ArgName("bundles")
          ->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}();

}  // namespace
