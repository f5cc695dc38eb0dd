// The map commands that ask the user first: how fast to fly, which start to use.
#include <QInputDialog>
#include <QStringList>

#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

namespace {
// The fly speed as the dialog shows it: map units a second (the scene's 0.05 a unit).
constexpr double kSceneUnitsPerMapUnit = 0.05;
}  // namespace

void MainWindow::AskFlySpeed() {
    COGLView& core = view_->Core();
    bool ok = false;
    const double speed = QInputDialog::getDouble(this, QStringLiteral("Fly Speed"),
                                                 QStringLiteral("Map units a second (Shift runs three times as fast):"),
                                                 core.FlySpeed() / kSceneUnitsPerMapUnit, 2.0, 20000.0, 0, &ok);
    if (ok) {
        core.SetFlySpeed(static_cast<float>(speed * kSceneUnitsPerMapUnit));
    }
}

void MainWindow::AtStart(int id) {
    COGLView& core = view_->Core();
    const std::vector<BackdropStart> starts = core.Starts();
    if (starts.empty()) {
        return;
    }
    QStringList names;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        names << QStringLiteral("%1: %2").arg(i).arg(QString::fromStdString(starts[i].className));
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, id == cmd::kPlaceAt ? QStringLiteral("Place At") : QStringLiteral("View from Spawn Point"),
                              QStringLiteral("Player start:"), names, 0, false, &ok);
    if (!ok) {
        return;
    }
    const int index = static_cast<int>(names.indexOf(chosen));
    view_->makeCurrent();
    if (id == cmd::kPlaceAt) {
        core.PlaceSelectionAt(index);
    } else {
        core.ViewFromStart(index);
    }
    view_->update();
}
