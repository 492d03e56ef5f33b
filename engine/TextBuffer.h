#pragma once

#include <cstdint>

namespace dropshrink {

// The engine's zero-terminated narrow (UTF-8) text. Length counts characters: a
// multi-byte sequence is one character and no operation ever splits it.
// Operations return 1 for success and 0 for failure.
class TextBuffer {
 public:
  TextBuffer() = default;
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;
  ~TextBuffer() { Free(); }

  int Free();
  int Assign(const char* text);
  int AssignFrom(const TextBuffer& other) { return Assign(other.Text()); }
  int Append(const char* text);
  int AppendNumber(long n);
  // count characters from the 1-based character position start.
  int Mid(TextBuffer& out, int start, int count) const;
  int Left(TextBuffer& out, int n) const;
  int Right(TextBuffer& out, int n) const;
  int Equals(const char* text, int ignoreCase) const;

  // Never null: an empty buffer reads as "".
  const char* Text() const { return data_ != nullptr ? data_ : ""; }
  int Length() const { return length_; }
  int Size() const { return size_; }
  bool Empty() const { return data_ == nullptr; }

 private:
  void Recount();

  char* data_ = nullptr;
  std::int32_t length_ = 0;
  std::int32_t size_ = 0;
};

}  // namespace dropshrink
