#include "engine/TextBuffer.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files/Files.h"
#include "platform/files/Text.h"

namespace dropshrink {
namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

int TextBuffer::Free() {
  std::free(data_);
  data_ = nullptr;
  length_ = 0;
  size_ = 0;
  return 1;
}

void TextBuffer::Recount() {
  size_ = static_cast<std::int32_t>(std::strlen(data_) + 1);
  length_ = 0;
  for (const char* p = data_; *p != '\0'; p += platform::CharacterBytes(p)) ++length_;
}

int TextBuffer::Assign(const char* text) {
  Free();
  if (text == nullptr || *text == '\0') return 0;
  const std::size_t bytes = std::strlen(text) + 1;
  if (bytes > INT32_MAX) return 0;
  data_ = static_cast<char*>(std::malloc(bytes));
  if (data_ == nullptr) return 0;
  std::memcpy(data_, text, bytes);
  Recount();
  return 1;
}

int TextBuffer::Append(const char* text) {
  if (Empty()) return Assign(text);
  if (text == nullptr || *text == '\0') return 0;
  const std::size_t added = std::strlen(text);
  if (added > static_cast<std::size_t>(INT32_MAX - size_)) return 0;
  auto* joined = static_cast<char*>(std::malloc(size_ + added));
  if (joined == nullptr) return 0;
  std::memcpy(joined, data_, size_ - 1);
  std::memcpy(joined + size_ - 1, text, added + 1);
  std::free(data_);
  data_ = joined;
  Recount();
  return 1;
}

int TextBuffer::AppendNumber(long n) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%ld", n);
  return Append(digits);
}

int TextBuffer::Mid(TextBuffer& out, int start, int count) const {
  if (Empty() || start < 1 || count < 1) {
    out.Free();
    return 0;
  }
  const char* begin = data_;
  for (int i = 1; i < start && *begin != '\0'; ++i) begin += platform::CharacterBytes(begin);
  const char* end = begin;
  for (int i = 0; i < count && *end != '\0'; ++i) end += platform::CharacterBytes(end);

  const auto bytes = static_cast<std::size_t>(end - begin);
  if (bytes == 0) {
    out.Free();
    return 0;
  }
  char* piece = static_cast<char*>(std::malloc(bytes + 1));
  if (piece == nullptr) {
    out.Free();
    return 0;
  }
  std::memcpy(piece, begin, bytes);
  piece[bytes] = '\0';
  const int assigned = out.Assign(piece);
  std::free(piece);
  return assigned;
}

int TextBuffer::Left(TextBuffer& out, int n) const {
  if (n > length_) return 0;
  return Mid(out, 1, n);
}

int TextBuffer::Right(TextBuffer& out, int n) const {
  if (n > length_) return 0;
  return Mid(out, length_ - n + 1, n);
}

int TextBuffer::Equals(const char* text, int ignoreCase) const {
  const char* a = Text();
  const char* b = text != nullptr ? text : "";
  if (ignoreCase != 1) return std::strcmp(a, b) == 0 ? 1 : 0;
  for (; *a != '\0' && LowerAscii(*a) == LowerAscii(*b); ++a, ++b) {
  }
  return LowerAscii(*a) == LowerAscii(*b) ? 1 : 0;
}

}  // namespace dropshrink
