// Loading and saving a large store, next to the JSON library alone doing the
// same work on the same text (the floor). Compare ours with the floor of the
// same run: StoreLoad/Ours vs StoreLoad/LibraryParse, StoreSave/Ours vs
// StoreSave/LibraryDump, StoreRoundTrip/Ours vs StoreRoundTrip/Library.

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "bundle/store_file.h"

namespace {

using bundle::Bundle;
using bundle::Item;
using bundle::Kind;
using bundle::Store;

constexpr int kBundles = 10000;
constexpr int kItemsPerBundle = 10;

const Store& big_store() {
  static const Store store = [] {
    Store s;
    s.bundles.reserve(kBundles);
    for (int b = 0; b < kBundles; ++b) {
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
  }();
  return store;
}

const std::string& big_text() {
  static const std::string text = bundle::serialize_store(big_store());
  return text;
}

void StoreLoad_Ours(benchmark::State& state) {
  const std::string& text = big_text();
  for (auto _ : state) {
    auto store = bundle::parse_store(text);
    benchmark::DoNotOptimize(store);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void StoreLoad_LibraryParse(benchmark::State& state) {
  const std::string& text = big_text();
  for (auto _ : state) {
    auto json = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(json);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void StoreSave_Ours(benchmark::State& state) {
  const Store& store = big_store();
  for (auto _ : state) {
    std::string text = bundle::serialize_store(store);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * big_text().size()));
}

void StoreSave_LibraryDump(benchmark::State& state) {
  const nlohmann::json json = nlohmann::json::parse(big_text());
  for (auto _ : state) {
    std::string text = json.dump(2);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * big_text().size()));
}

void StoreRoundTrip_Ours(benchmark::State& state) {
  const std::string& text = big_text();
  for (auto _ : state) {
    auto store = bundle::parse_store(text);
    std::string again = bundle::serialize_store(*store);
    benchmark::DoNotOptimize(again);
  }
}

void StoreRoundTrip_Library(benchmark::State& state) {
  const std::string& text = big_text();
  for (auto _ : state) {
    std::string again = nlohmann::json::parse(text).dump(2);
    benchmark::DoNotOptimize(again);
  }
}

BENCHMARK(StoreLoad_Ours)->Name("StoreLoad/Ours")->Unit(benchmark::kMillisecond);
BENCHMARK(StoreLoad_LibraryParse)->Name("StoreLoad/LibraryParse")->Unit(benchmark::kMillisecond);
BENCHMARK(StoreSave_Ours)->Name("StoreSave/Ours")->Unit(benchmark::kMillisecond);
BENCHMARK(StoreSave_LibraryDump)->Name("StoreSave/LibraryDump")->Unit(benchmark::kMillisecond);
BENCHMARK(StoreRoundTrip_Ours)->Name("StoreRoundTrip/Ours")->Unit(benchmark::kMillisecond);
BENCHMARK(StoreRoundTrip_Library)->Name("StoreRoundTrip/Library")->Unit(benchmark::kMillisecond);

}  // namespace
