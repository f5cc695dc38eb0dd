#include "ui/SceneNames.h"

#include <array>

#include "platform/Messages.h"
#include "platform/TextEncoding.h"
#include "scene/COGLLight.h"
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
    const QString name = GameText(object.Name());
    return name.isEmpty() ? kind : QStringLiteral("%1 (%2)").arg(name, kind);
}

QString LightLabel(const COGLLight& light) {
    const QString kind = light.IsSpot() ? QStringLiteral("spot") : QStringLiteral("point");
    const QString name = GameText(light.Name());
    return name.isEmpty() ? kind : QStringLiteral("%1 (%2)").arg(name, kind);
}

QString GameText(const std::string& text) { return QString::fromStdString(GameTextToUtf8(text)); }

std::optional<std::string> ToSceneText(const QString& typed, const std::string& current, int maxBytes) {
    if (typed == GameText(current)) {
        return current;
    }
    for (const QChar c : typed) {
        if (c.unicode() > 0xFF) {
            ShowMessage(msg::kTextNotLatin1);
            return std::nullopt;
        }
    }
    const QByteArray bytes = typed.left(maxBytes).toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
