#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "engine/Failure.h"
#include "engine/ImageKind.h"
#include "engine/PictureFacts.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "platform/files/Files.h"

namespace dropshrink {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// A read-only file that closes itself.
using InputFile = std::unique_ptr<std::FILE, CloseFile>;

// What every reader shares and the steps every reader takes. A format supplies:
//   static constexpr std::string_view kFormatName;   "PNG", for failure reasons
//   bool ParseHeader();     reads and checks the header; refuses a file of another format
//   bool DecodeRows();      fills the target, made with CreateTarget
//   void ReleaseFormat();   frees the format's own state (library objects, buffers)
// Open opens the file and parses its header; Read decodes and always ends closed. A target is
// reused by replacing its picture: on success it holds the new one, on failure it is empty, and
// a refused Open leaves it alone.
template <class Format>
class ReaderSkeleton {
 public:
  ReaderSkeleton(const ReaderSkeleton&) = delete;
  ReaderSkeleton& operator=(const ReaderSkeleton&) = delete;

  int Open(const char* path, RasterImage& target, ProgressCallback progress) {
    Close();
    failure_ = Failure::None;
    facts_ = {};
    if (path == nullptr) return Refuse(Failure::InvalidArgument);
    std::FILE* file = nullptr;
    const platform::ReadOpenResult opened = platform::OpenRegularFile(path, file);
    if (opened != platform::ReadOpenResult::Opened) return Refuse(OpenFailureOf(opened));
    file_.reset(file);
    target_ = &target;
    progress_ = progress;
    if (!Self().ParseHeader()) {
      return Refuse(failure_ == Failure::None ? Failure::NotThisFormat : failure_);
    }
    state_ = State::Opened;
    return 1;
  }

  int Read() {
    const bool decoded = state_ == State::Opened && Self().DecodeRows();
    if (state_ != State::Opened) failure_ = Failure::InvalidArgument;
    ReportProgress(progress_, progress_phase::kReading, height_ - 1, height_);
    if (!decoded && target_ != nullptr) target_->Release();
    Close();
    return decoded ? 1 : 0;
  }

  // Frees everything; the failure of the last Open or Read, and the facts of the last picture
  // opened, stay to be asked for.
  int Close() {
    Self().ReleaseFormat();
    file_.reset();
    Reset();
    return 1;
  }

  // Forgets without freeing.
  void Reset() {
    file_.release();
    target_ = nullptr;
    progress_ = nullptr;
    state_ = State::Closed;
    kind_ = kKindNone;
    width_ = 0;
    height_ = 0;
  }

  ImageKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  Failure LastFailure() const { return failure_; }
  // How the picture is to be shown: its orientation and colour profile.
  const PictureFacts& Facts() const { return facts_; }

 protected:
  ReaderSkeleton() = default;
  ~ReaderSkeleton() = default;

  // Records why the step fails; for `return Fail(...)` in a step.
  bool Fail(Failure failure) {
    failure_ = failure;
    return false;
  }

  // The target's store for the picture; a failure says why (too large, no space).
  bool CreateTarget(std::int32_t bitsPerPixel, std::int32_t paletteEntries) {
    if (!target_->Create(width_, height_, bitsPerPixel, paletteEntries)) {
      return Fail(target_->LastFailure());
    }
    PrepareBand(0);
    return true;
  }

  // Reports the row, and readies the next band of the store as the rows reach it.
  void RowDone(int row) {
    if (row + 1 == preparedTo_) PrepareBand(preparedTo_);
    ReportProgress(progress_, progress_phase::kReading, row, height_);
  }

  std::FILE* File() const { return file_.get(); }
  RasterImage& Target() const { return *target_; }

  ImageKind kind_ = kKindNone;
  int width_ = 0;
  int height_ = 0;
  PictureFacts facts_;

 private:
  enum class State { Closed, Opened };

  Format& Self() { return static_cast<Format&>(*this); }

  static Failure OpenFailureOf(platform::ReadOpenResult opened) {
    switch (opened) {
      case platform::ReadOpenResult::Missing:
        return Failure::SourceMissing;
      case platform::ReadOpenResult::NotRegularFile:
        return Failure::NotRegularFile;
      default:
        return Failure::Unreadable;
    }
  }

  // About a megabyte of rows at a time: fresh pages come in one go, never far ahead of the rows
  // the data really fills, so a file that ends early costs little more than its rows.
  void PrepareBand(int first) {
    constexpr std::uint32_t kBandBytes = 1u << 20;
    const auto rows =
        static_cast<int>(std::max<std::uint32_t>(1, kBandBytes / target_->RowBytes()));
    target_->PrepareRows(first, rows);
    preparedTo_ = first + rows;
  }

  int Refuse(Failure failure) {
    Close();
    failure_ = failure;
    return 0;
  }

  InputFile file_;
  RasterImage* target_ = nullptr;
  ProgressCallback progress_ = nullptr;
  State state_ = State::Closed;
  // The first row not yet readied for writing.
  int preparedTo_ = 0;
  Failure failure_ = Failure::None;
};

}  // namespace dropshrink
