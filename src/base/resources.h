#pragma once
// Resources carried inside the program (catalogue, demonstration project).
// Each one is a byte array compiled in by korvant_embed() in CMake.
#include <cstddef>
#include <span>

#define KORVANT_RESOURCE_FN(symbol) korvant_resource_##symbol

// Declare before use, at namespace scope.
#define KORVANT_DECLARE_RESOURCE(symbol) \
  std::span<const unsigned char> KORVANT_RESOURCE_FN(symbol)()

#define KORVANT_DEFINE_RESOURCE(symbol, data, size)              \
  std::span<const unsigned char> KORVANT_RESOURCE_FN(symbol)() { \
    return {data, static_cast<std::size_t>(size)};               \
  }

#define KORVANT_RESOURCE(symbol) KORVANT_RESOURCE_FN(symbol)()
