#pragma once
// Little-endian byte images of file records. Readers are bounds-checked:
// a read past the end never touches memory, it only marks the reader failed.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvant {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const unsigned char> data) : data_(data) {}

  std::size_t size() const { return data_.size(); }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
  bool ok() const { return ok_; }
  // True when n more bytes can be read; does not consume them.
  bool has(std::size_t n) const { return ok_ && n <= data_.size() - pos_; }

  void seek(std::size_t p) {
    if (p > data_.size()) ok_ = false; else pos_ = p;
  }
  void skip(std::size_t n) {
    if (!has(n)) { ok_ = false; return; }
    pos_ += n;
  }
  // A sub-reader over the next n bytes (consumed here), or a failed one.
  ByteReader sub(std::size_t n) {
    if (!has(n)) { ok_ = false; ByteReader r; r.ok_ = false; return r; }
    ByteReader r(data_.subspan(pos_, n));
    pos_ += n;
    return r;
  }
  std::span<const unsigned char> bytes(std::size_t n) {
    if (!has(n)) { ok_ = false; return {}; }
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

  uint8_t u8() { return static_cast<uint8_t>(le(1)); }
  int8_t i8() { return static_cast<int8_t>(u8()); }
  uint16_t u16() { return static_cast<uint16_t>(le(2)); }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  uint32_t u32() { return static_cast<uint32_t>(le(4)); }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  uint64_t u64() { return le(8); }
  double f64() {
    uint64_t v = u64();
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
  }
  // A NUL-terminated name in a fixed array of n bytes; a name without a
  // terminator is cut at n - 1 bytes.
  std::string fixedString(std::size_t n) {
    auto s = bytes(n);
    if (s.empty()) return {};
    std::size_t len = 0;
    while (len + 1 < n && s[len] != 0) ++len;
    return std::string(reinterpret_cast<const char*>(s.data()), len);
  }

 private:
  uint64_t le(std::size_t n) {
    if (!has(n)) { ok_ = false; return 0; }
    uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= uint64_t(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  std::span<const unsigned char> data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  const std::vector<unsigned char>& data() const { return buf_; }
  std::vector<unsigned char>& data() { return buf_; }
  std::vector<unsigned char> take() { return std::move(buf_); }
  std::size_t size() const { return buf_.size(); }

  void u8(uint8_t v) { buf_.push_back(v); }
  void i8(int8_t v) { u8(static_cast<uint8_t>(v)); }
  void u16(uint16_t v) { le(v, 2); }
  void i16(int16_t v) { le(static_cast<uint16_t>(v), 2); }
  void u32(uint32_t v) { le(v, 4); }
  void i32(int32_t v) { le(static_cast<uint32_t>(v), 4); }
  void u64(uint64_t v) { le(v, 8); }
  void f64(double d) {
    uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    u64(v);
  }
  void zeros(std::size_t n) { buf_.insert(buf_.end(), n, 0); }
  void bytes(std::span<const unsigned char> s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
  // Text cut to n - 1 bytes, NUL-terminated, the rest of the array zero.
  void fixedString(std::string_view s, std::size_t n) {
    if (n == 0) return;
    std::size_t len = s.size() < n - 1 ? s.size() : n - 1;
    buf_.insert(buf_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(len));
    zeros(n - len);
  }
  // Pads with zeros up to an absolute size (used for fixed-size headers).
  void padTo(std::size_t n) {
    if (buf_.size() < n) zeros(n - buf_.size());
  }
  // Overwrites 4 bytes at an earlier position (sizes known only at the end).
  void patchU32(std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) buf_[at + i] = static_cast<unsigned char>(v >> (8 * i));
  }

 private:
  void le(uint64_t v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) buf_.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
  std::vector<unsigned char> buf_;
};

}  // namespace korvant
