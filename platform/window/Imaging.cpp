#include "platform/window/Imaging.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <memory>
#include <vector>

#include "platform/window/HandleTable.h"

namespace platform {
namespace {

constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

struct GraphicsRecord {
  ImageHandle target;
  std::unique_ptr<QPainter> painter;
};

struct Store {
  bool started = false;
  std::uintptr_t lastToken = 0;
  HandleTable<QImage> images;
  HandleTable<GraphicsRecord> graphics;
  std::vector<GraphicsHandle> graphicsHandles;
};

Store& TheStore() {
  static Store store;
  return store;
}

ImageResult AddImage(QImage image) {
  if (image.isNull()) return {ImagingStatus::OutOfMemory, 0};
  if (image.format() != kFormat) image = image.convertToFormat(kFormat);
  if (image.isNull()) return {ImagingStatus::OutOfMemory, 0};
  return {ImagingStatus::Ok, TheStore().images.Add(std::move(image))};
}

QPainter* Painter(GraphicsHandle graphics) {
  GraphicsRecord* record = TheStore().graphics.Find(graphics);
  return record == nullptr ? nullptr : record->painter.get();
}

}  // namespace

ImagingStart StartImaging(const ImagingStartup& startup) {
  if (startup.version != 1) return {ImagingStatus::UnsupportedVersion, 0};
  Store& store = TheStore();
  store.started = true;
  return {ImagingStatus::Ok, ++store.lastToken};
}

ImageResult LoadImageFromStream(BlockStream& stream) {
  if (!TheStore().started) return {ImagingStatus::NotStarted, 0};
  const std::size_t position = stream.Position();
  const std::size_t size = stream.Size();
  if (position >= size) return {ImagingStatus::UnknownImageFormat, 0};

  QByteArray bytes(static_cast<qsizetype>(size - position), Qt::Uninitialized);
  const std::size_t count = stream.Read(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()),
                                                  static_cast<std::size_t>(bytes.size())));
  bytes.truncate(static_cast<qsizetype>(count));

  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) return {ImagingStatus::UnknownImageFormat, 0};
  return AddImage(std::move(image));
}

ImagingStatus SelectActiveFrame(ImageHandle image, const Guid& dimension, unsigned index) {
  if (TheStore().images.Find(image) == nullptr) return ImagingStatus::InvalidParameter;
  if (dimension != kFrameDimensionTime || index != 0) return ImagingStatus::InvalidParameter;
  return ImagingStatus::Ok;
}

ImageResult CreateBitmap(int width, int height) {
  if (!TheStore().started) return {ImagingStatus::NotStarted, 0};
  if (width <= 0 || height <= 0) return {ImagingStatus::InvalidParameter, 0};
  QImage image(width, height, kFormat);
  if (image.isNull()) return {ImagingStatus::OutOfMemory, 0};
  image.fill(Qt::transparent);
  return AddImage(std::move(image));
}

ImageResult CreateBitmapFromPicture(const Picture& picture) {
  if (!TheStore().started) return {ImagingStatus::NotStarted, 0};
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
    return {ImagingStatus::InvalidParameter, 0};
  }
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  if (image.isNull()) return {ImagingStatus::OutOfMemory, 0};
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width,
                picture.width, reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
  }
  return AddImage(std::move(image));
}

ImagingStatus DisposeImage(ImageHandle image) {
  Store& store = TheStore();
  if (store.images.Find(image) == nullptr) return ImagingStatus::InvalidParameter;
  std::erase_if(store.graphicsHandles, [&](GraphicsHandle graphics) {
    if (store.graphics.Find(graphics)->target != image) return false;
    store.graphics.Remove(graphics);
    return true;
  });
  store.images.Remove(image);
  return ImagingStatus::Ok;
}

std::optional<SizeF> GetImageDimension(ImageHandle image) {
  const QImage* found = TheStore().images.Find(image);
  if (found == nullptr) return std::nullopt;
  return SizeF{static_cast<float>(found->width()), static_cast<float>(found->height())};
}

std::optional<Size> GetImagePixelSize(ImageHandle image) {
  const QImage* found = TheStore().images.Find(image);
  if (found == nullptr) return std::nullopt;
  return Size{found->width(), found->height()};
}

std::optional<Picture> ReadPicture(ImageHandle image) {
  const QImage* found = TheStore().images.Find(image);
  if (found == nullptr) return std::nullopt;
  const QImage plain = found->convertToFormat(QImage::Format_ARGB32);
  if (plain.isNull()) return std::nullopt;
  Picture picture{plain.width(), plain.height(), {}};
  picture.pixels.reserve(static_cast<std::size_t>(plain.width()) * plain.height());
  for (int y = 0; y < plain.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(plain.constScanLine(y));
    picture.pixels.insert(picture.pixels.end(), row, row + plain.width());
  }
  return picture;
}

std::vector<std::uint8_t> EncodePng(ImageHandle image) {
  const QImage* found = TheStore().images.Find(image);
  if (found == nullptr) return {};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!QImageWriter(&buffer, "png").write(*found)) return {};
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

GraphicsResult GetImageGraphics(ImageHandle target) {
  Store& store = TheStore();
  QImage* image = store.images.Find(target);
  if (image == nullptr) return {ImagingStatus::InvalidParameter, 0};
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(image)) return {ImagingStatus::OutOfMemory, 0};
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  const GraphicsHandle graphics = store.graphics.Add({target, std::move(painter)});
  store.graphicsHandles.push_back(graphics);
  return {ImagingStatus::Ok, graphics};
}

ImagingStatus DeleteGraphics(GraphicsHandle graphics) {
  Store& store = TheStore();
  if (!store.graphics.Remove(graphics)) return ImagingStatus::InvalidParameter;
  std::erase(store.graphicsHandles, graphics);
  return ImagingStatus::Ok;
}

ImagingStatus DrawImageRect(GraphicsHandle graphics, ImageHandle image, float x, float y,
                            float width, float height) {
  QPainter* painter = Painter(graphics);
  const QImage* source = TheStore().images.Find(image);
  // An image cannot be drawn into itself while a painter holds its pixels.
  if (painter == nullptr || source == nullptr ||
      TheStore().graphics.Find(graphics)->target == image) {
    return ImagingStatus::InvalidParameter;
  }
  painter->drawImage(QRectF(x, y, width, height), *source);
  return ImagingStatus::Ok;
}

ImagingStatus DrawImagePart(GraphicsHandle graphics, ImageHandle image, float x, float y,
                            const Rect& source) {
  QPainter* painter = Painter(graphics);
  const QImage* from = TheStore().images.Find(image);
  if (painter == nullptr || from == nullptr ||
      TheStore().graphics.Find(graphics)->target == image) {
    return ImagingStatus::InvalidParameter;
  }
  painter->drawImage(QPointF(x, y), *from,
                     QRectF(source.left, source.top, source.Width(), source.Height()));
  return ImagingStatus::Ok;
}

}  // namespace platform
