#include "ui/SceneNames.h"

#include <array>

#include "scene/COGLLight.h"
#include "platform/Messages.h"
#include "scene/COGLObject.h"

QString ObjectKindName(int typeCode) {
    // In type code order.
    static constexpr std::array<const char*, 19> kNames{
        "Plane",    "Floor", "Box",  "Sphere",       "Right Wall", "Left Wall", "Ceiling",
        "Text",     "Rod",   "Cylinder", "Cone",     "Disk",       "MD2 Model", "Player",
        "SiN Model", "MDL Model", "Billboard", "Sprite", "Half-Life Model"};
    if (typeCode < 0 || typeCode >= static_cast<int>(kNames.size())) {
        return QStringLiteral("Object");
    }
    return QString::fromLatin1(kNames[static_cast<std::size_t>(typeCode)]);
}

QString ObjectLabel(const COGLObject& object) {
    const QString kind = ObjectKindName(object.TypeCode());
    const QString name = FromSceneText(object.Name());
    return name.isEmpty() ? kind : QStringLiteral("%1 (%2)").arg(name, kind);
}

QString LightLabel(const COGLLight& light) {
    const QString kind = light.IsSpot() ? QStringLiteral("spot") : QStringLiteral("point");
    const QString name = FromSceneText(light.Name());
    return name.isEmpty() ? kind : QStringLiteral("%1 (%2)").arg(name, kind);
}

QString FromSceneText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> ToSceneText(const QString& typed, int maxBytes) {
    for (const QChar c : typed) {
        if (c.unicode() > 0xFF) {
            ShowMessage(msg::kTextNotLatin1);
            return std::nullopt;
        }
    }
    const QByteArray bytes = typed.left(maxBytes).toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
