#include "ui/browser/AssetDrag.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include "ui/SceneNames.h"

namespace {
QByteArray Bytes(const std::string& text) { return {text.data(), static_cast<qsizetype>(text.size())}; }
}  // namespace

const char* AssetMimeType() { return "application/x-marovin-archive-entry"; }

QMimeData* AssetMimeData(const DraggedAsset& asset) {
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << Bytes(asset.archivePath) << Bytes(asset.name);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(AssetMimeType()), payload);
    data->setText(GameText(asset.name));
    return data;
}

std::optional<DraggedAsset> DraggedAssetOf(const QMimeData* data) {
    const QString type = QString::fromLatin1(AssetMimeType());
    if (data == nullptr || !data->hasFormat(type)) {
        return std::nullopt;
    }
    QDataStream in(data->data(type));
    QByteArray archive;
    QByteArray name;
    in >> archive >> name;
    if (in.status() != QDataStream::Ok || name.isEmpty()) {
        return std::nullopt;
    }
    return DraggedAsset{archive.toStdString(), name.toStdString()};
}
