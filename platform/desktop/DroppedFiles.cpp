#include "platform/desktop/DroppedFiles.h"

#include <QByteArray>
#include <algorithm>
#include <optional>
#include <vector>

namespace platform {
namespace {

std::optional<std::string> LocalPath(const QUrl& url) {
  if (!url.isLocalFile()) return std::nullopt;
  if (const QString host = url.host(); !host.isEmpty() && host != QLatin1String("localhost")) {
    return std::nullopt;
  }
  // Decoding the encoded form keeps a name's bytes even when they are not UTF-8.
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8());
  std::string path(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (!path.starts_with('/') || path.find('\0') != std::string::npos ||
      path.find("\r\n") != std::string::npos) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

std::string GotFileText(const QList<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls) {
    if (std::optional<std::string> path = LocalPath(url)) paths.push_back(std::move(*path));
  }
  if (paths.size() == 1) return paths.front();
  std::string text;
  for (const std::string& path : paths) text.append(path).append("\r\n");
  return text;
}

bool HasLocalFile(const QList<QUrl>& urls) {
  return std::ranges::any_of(urls, [](const QUrl& url) { return LocalPath(url).has_value(); });
}

}  // namespace platform
