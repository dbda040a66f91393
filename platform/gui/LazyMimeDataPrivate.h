#pragma once
// Clipboard and drag data whose formats may be rendered only when a reader
// first asks for them (inside the GUI layer only).
#include "platform/gui/Clipbrd.h"

#include <QMimeData>
#include <QStringList>

#include <functional>
#include <map>

// Data whose formats may be rendered only when a reader first asks for them.
class TLazyMimeData : public QMimeData {
public:
  // The MIME types a format travels as, learnt by setting it on a scratch
  // object (text and rich text have more than one).
  static QStringList MimeTypesOf(Word format) {
    QMimeData probe;
    clipformat::Set(&probe, format, AnsiString());
    return probe.formats();
  }

  void SetLazy(Word format, std::function<AnsiString()> render) {
    for (const QString& mime : MimeTypesOf(format)) {
      removeFormat(mime);
      FRendered.erase(mime);
      FLazy[mime] = format;
    }
    FRenderers[format] = std::move(render);
  }

  // Drops whatever the format had (before it is set anew).
  void Forget(Word format) {
    for (const QString& mime : MimeTypesOf(format)) {
      removeFormat(mime);
      FLazy.erase(mime);
      FRendered.erase(mime);
    }
    FRenderers.erase(format);
  }

  void Render(Word format) const {
    auto it = FRenderers.find(format);
    if (it == FRenderers.end() || !it->second) return;
    QMimeData rendered;
    clipformat::Set(&rendered, format, it->second());
    for (const QString& mime : MimeTypesOf(format)) {
      FRendered[mime] = rendered.data(mime);
      FLazy.erase(mime);
    }
  }

  QStringList formats() const override {
    QStringList all = QMimeData::formats();
    for (const auto& [mime, format] : FLazy) all << mime;
    for (const auto& [mime, bytes] : FRendered) all << mime;
    return all;
  }

  bool hasFormat(const QString& mime) const override { return formats().contains(mime); }

protected:
  QVariant retrieveData(const QString& mime, QMetaType type) const override {
    if (auto lazy = FLazy.find(mime); lazy != FLazy.end()) Render(lazy->second);
    if (auto done = FRendered.find(mime); done != FRendered.end()) return done->second;
    return QMimeData::retrieveData(mime, type);
  }

private:
  mutable std::map<QString, Word> FLazy;
  mutable std::map<QString, QByteArray> FRendered;
  std::map<Word, std::function<AnsiString()>> FRenderers;
};

