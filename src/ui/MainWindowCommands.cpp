// The main window's command handlers.
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>

#include <algorithm>

#include "models/halflife/COGLHLModel.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "scene/COGLScene.h"
#include "ui/AboutDialog.h"
#include "ui/AddDialogs.h"
#include "ui/CommandTable.h"
#include "ui/Desktop.h"
#include "ui/FollowModelDialog.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ModelOpenDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/PlayerPicker.h"
#include "ui/QtHost.h"
#include "ui/QualityDialog.h"
#include "ui/SceneNames.h"
#include "ui/VWepDialog.h"
#include "ui/ViewCommandTarget.h"

namespace {
bool Accepted(int result) { return result == QDialog::Accepted; }

}  // namespace

void MainWindow::RunCommand(int id) {
    switch (id) {
        case cmd::kNew: NewScene(); break;
        case cmd::kOpenScene: OpenWithDialog(QStringLiteral("Open Scene"), filters::kScene); break;
        case cmd::kOpenPak: OpenWithDialog(QStringLiteral("Open Pak File"), filters::kArchives); break;
        case cmd::kOpenGameFolder: OpenGameFolder(); break;
        case cmd::kOpenModel: OpenModel(); break;
        case cmd::kSave: SaveScene(scenePath_.isEmpty()); break;
        case cmd::kSaveAs: SaveScene(true); break;
        case cmd::kSaveImage: SaveImage(); break;
        case cmd::kSaveAnimation: SaveAnimation(); break;
        case cmd::kExportGltf: ExportGltf(); break;
        case cmd::kPrint: PrintPicture(false); break;
        case cmd::kPrintPreview: PrintPicture(true); break;
        case cmd::kClear: ClearScene(); break;
        case cmd::kAddLight: AddLight(); break;
        case cmd::kAddObject: AddObject(); break;
        case cmd::kAddPlayer: AddPlayer(); break;
        case cmd::kFollowModel: FollowModel(); break;
        case cmd::kPartFollower: PartFollower(); break;
        case cmd::kFlySpeed: AskFlySpeed(); break;
        case cmd::kPlaceAt:
        case cmd::kViewFromStart: AtStart(id); break;
        case cmd::kOptions: ShowOptions(); break;
        case cmd::kVWep: ShowVWep(); break;
        case cmd::kHelpContents: ShowHelp(); break;
        case cmd::kOnTheWeb: ShowWebPage(); break;
        case cmd::kAbout: ShowAbout(); break;
        default:
            if (IsViewCommand(id)) {
                OnViewCommand(id);
            }
            break;
    }
    RefreshCommandStates();
}

void MainWindow::OnViewCommand(int id) {
    // Ctrl with a framing button or entry fits every pane, as the Ctrl keys do.
    if (QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier)) {
        if (id == cmd::kFrameSelection) {
            id = cmd::kFrameSelectionEveryPane;
        } else if (id == cmd::kFrameAll) {
            id = cmd::kFrameAllEveryPane;
        }
    }
    target_->Command(id);
    view_->update();
}

void MainWindow::NewScene() {
    // One scene per window: the first New (at start-up) makes it, later ones do nothing.
    if (state_.newDone) {
        return;
    }
    state_.newDone = true;
    OnViewCommand(cmd::kNew);
}

bool MainWindow::OpenFile(const QString& path) {
    if (path.isEmpty() || !hooks_.openFile) {
        return false;
    }
    const bool isScene = QFileInfo(path).suffix().compare(QLatin1String("dv"), Qt::CaseInsensitive) == 0;
    // A scene replaces the one shown: its unsaved changes would be lost.
    if (isScene && !MayDiscardChanges()) {
        return false;
    }
    const bool opened = hooks_.openFile(path);
    if (opened) {
        recent_.Add(path);
        UpdateRecentFileMenu();
        if (isScene) {
            scenePath_ = hooks_.documentPath ? hooks_.documentPath() : path;
        }
    }
    RefreshCommandStates();
    view_->update();
    return opened;
}

void MainWindow::OpenWithDialog(const QString& title, const char* filter) {
    QFileDialog dialog(this, title, lastDirectory_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(ToQtNameFilters(filter));
    if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = dialog.selectedFiles().constFirst();
    lastDirectory_ = QFileInfo(path).absolutePath();
    OpenFile(path);
}

void MainWindow::OpenGameFolder() {
    QFileDialog dialog(this, QStringLiteral("Open Game Folder"), lastDirectory_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = dialog.selectedFiles().constFirst();
    lastDirectory_ = QFileInfo(path).absolutePath();
    OpenFile(path);
}

void MainWindow::OpenModel() {
    ModelOpenDialog dialog(this);
    dialog.choosePlayer = [this] { return AddPlayer(); };
    if (!lastDirectory_.isEmpty()) {
        dialog.setDirectory(lastDirectory_);
    }
    if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
        return;
    }
    state_.modelOptions = dialog.Options();
    if (hooks_.modelOptionsChosen) {
        hooks_.modelOptionsChosen(state_.modelOptions);
    }
    const QString path = dialog.selectedFiles().constFirst();
    lastDirectory_ = QFileInfo(path).absolutePath();
    OpenFile(path);
}

bool MainWindow::SaveScene(bool askForName) {
    if (!hooks_.saveScene) {
        return false;
    }
    QString path = scenePath_;
    if (askForName || path.isEmpty()) {
        QFileDialog dialog(this, QStringLiteral("Save Scene"), scenePath_.isEmpty() ? lastDirectory_ : scenePath_);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(ToQtNameFilters(filters::kScene));
        dialog.setDefaultSuffix(QStringLiteral("dv"));
        if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
            return false;
        }
        path = dialog.selectedFiles().constFirst();
    }
    if (!hooks_.saveScene(path)) {
        return false;
    }
    scenePath_ = path;
    lastDirectory_ = QFileInfo(path).absolutePath();
    recent_.Add(path);
    UpdateRecentFileMenu();
    return true;
}

void MainWindow::ClearScene() {
    if (GetHost().ShowMessage(msg::kClearTheScene.text, MessageButtons::YesNo, MessageIcon::Warning) !=
        MessageResult::Yes) {
        return;
    }
    OnViewCommand(cmd::kClear);
    host_->RefreshPropertyWindows();
}

void MainWindow::AddLight() {
    LightTypeDialog dialog(this);
    if (Accepted(execDialog(dialog))) {
        target_->AddLight(dialog.Kind());
        view_->update();
    }
}

void MainWindow::AddObject() {
    ObjectTypeDialog dialog(this);
    if (Accepted(execDialog(dialog)) && dialog.TypeCode() >= 0) {
        target_->AddObject(dialog.TypeCode());
        view_->update();
    }
}

void MainWindow::FollowModel() {
    COGLScene* scene = view_->Core().Scene();
    if (scene == nullptr) {
        return;
    }
    COGLObject* follower = scene->Selected();
    const std::vector<COGLHLModel*> leaders = FollowLeadersFor(*scene, follower);
    if (leaders.empty()) {
        return;
    }
    FollowModelDialog dialog(leaders, this);
    // The dialog is modal: what it offered is looked up again once it closed.
    if (!Accepted(execDialog(dialog)) || dialog.Leader() == nullptr) {
        return;
    }
    COGLHLModel* leader = dialog.Leader();
    scene = view_->Core().Scene();
    if (scene == nullptr || scene->Selected() != follower) {
        return;
    }
    const std::vector<COGLHLModel*> still = FollowLeadersFor(*scene, follower);
    if (std::find(still.begin(), still.end(), leader) == still.end()) {
        return;
    }
    view_->makeCurrent();
    if (view_->Core().Document().FollowModel(leader, follower)) {
        statusBar()->showMessage(
            QStringLiteral("%1 follows %2.").arg(GameText(leader->Follower()->Name()), GameText(leader->Name())));
    }
    if (hooks_.refreshProperties) {
        hooks_.refreshProperties();
    }
    view_->update();
}

void MainWindow::PartFollower() {
    COGLScene* scene = view_->Core().Scene();
    COGLObject* leader = scene != nullptr ? scene->Selected() : nullptr;
    if (leader == nullptr || leader->FollowerObject() == nullptr) {
        return;
    }
    view_->makeCurrent();
    view_->Core().Document().PartFollower(leader);
    if (hooks_.refreshProperties) {
        hooks_.refreshProperties();
    }
    view_->update();
}

void MainWindow::ShowOptions() {
    OptionsDialog dialog(state_.saveSettings, state_.resetWindowPositions, this);
    connect(&dialog, &OptionsDialog::saveSettingsChanged, this, [this](bool save) { state_.saveSettings = save; });
    if (!Accepted(execDialog(dialog))) {
        return;
    }
    dialog.WriteSettings();
    state_.resetWindowPositions = dialog.ResetWindowPositions();
    state_.gamma =
        static_cast<float>(GetSettings().GetInt(settings_keys::kSettings, settings_keys::kGamma, 100)) * 0.01f;
    // The view writes its options back when it closes: it must hold the new ones.
    view_->Core().ApplyOptions();
    if (hooks_.optionsChanged) {
        hooks_.optionsChanged();
    }
}

bool MainWindow::AddPlayer() {
    PlayerPicker picker(hooks_.scene ? hooks_.scene() : nullptr, this);
    picker.chooseFile = [this, &picker] {
        ModelOpenDialog dialog(&picker);
        dialog.setWindowTitle(QStringLiteral("Player's Body"));
        dialog.PlayerOptionsGroup()->hide();
        if (!lastDirectory_.isEmpty()) {
            dialog.setDirectory(lastDirectory_);
        }
        return Accepted(execDialog(dialog)) && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst()
                                                                                 : QString();
    };
    if (!Accepted(execDialog(picker)) || !hooks_.addPlayer) {
        return false;
    }
    bool added = false;
    if (const PlayerRow* row = picker.Chosen()) {
        added = hooks_.addPlayer(row->archive, row->body);
    } else if (!picker.BrowsedFile().isEmpty()) {
        lastDirectory_ = QFileInfo(picker.BrowsedFile()).absolutePath();
        added = hooks_.addPlayer(nullptr, picker.BrowsedFile().toStdString());
    }
    RefreshCommandStates();
    view_->update();
    return added;
}

void MainWindow::ShowVWep() {
    VWepDialog dialog(this);
    if (!Accepted(execDialog(dialog))) {
        return;
    }
    dialog.WriteSettings();
    if (hooks_.setUpVisualWeapons) {
        hooks_.setUpVisualWeapons();
    }
    view_->update();
}

bool MainWindow::SaveImage() {
    // Cancelling the quality choice goes back to the file name, as often as the user likes.
    for (;;) {
        QFileDialog dialog(this, QStringLiteral("Save Image"), lastDirectory_);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(SaveImageFilters());
        dialog.setDefaultSuffix(QStringLiteral("bmp"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const int index = dialog.nameFilters().indexOf(filter);
            dialog.setDefaultSuffix(index == 1 ? QStringLiteral("jpg")
                                    : index == 2 ? QStringLiteral("png")
                                                 : QStringLiteral("bmp"));
        });
        if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
            return false;
        }
        const QString path = dialog.selectedFiles().constFirst();
        const std::optional<ImageFormat> format = ImageFormatForPath(path.toStdString());
        if (!format) {
            GetHost().ShowMessage(msg::kExtensionNotSupported.text);
            return false;
        }
        int quality = state_.jpegQualityIndex;
        if (*format == ImageFormat::Jpeg) {
            QualityDialog qualityDialog(state_.jpegQualityIndex, this);
            if (!Accepted(execDialog(qualityDialog))) {
                continue;
            }
            quality = qualityDialog.Index();
            state_.jpegQualityIndex = quality;
        }
        lastDirectory_ = QFileInfo(path).absolutePath();
        WaitCursor wait;
        if (hooks_.saveImage) {
            return hooks_.saveImage(path, *format, quality);
        }
        const QImage picture = hooks_.capturePicture ? hooks_.capturePicture() : view_->grabFramebuffer();
        if (picture.isNull()) {
            return false;
        }
        if (!WriteImage(CaptureFromImage(picture), path.toStdString(), *format, quality)) {
            GetHost().ShowMessage(msg::kErrorOpeningFile.text);
            return false;
        }
        return true;
    }
}

bool MainWindow::SaveAnimation() {
    if (!hooks_.saveAnimation) {
        return false;
    }
    QFileDialog dialog(this, QStringLiteral("Save Animation"), lastDirectory_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList suffixes{QStringLiteral("gif"), QStringLiteral("webp"), QStringLiteral("png"),
                               QStringLiteral("mp4"), QStringLiteral("webm")};
    dialog.setNameFilters({QStringLiteral("GIF (*.gif)"), QStringLiteral("WebP (*.webp)"),
                           QStringLiteral("Animated PNG (*.png *.apng)"), QStringLiteral("MP4 Video (*.mp4)"),
                           QStringLiteral("WebM Video (*.webm)")});
    dialog.setDefaultSuffix(suffixes.constFirst());
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, suffixes](const QString& filter) {
        const qsizetype index = dialog.nameFilters().indexOf(filter);
        dialog.setDefaultSuffix(suffixes.value(index, suffixes.constFirst()));
    });
    if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog.selectedFiles().constFirst();
    lastDirectory_ = QFileInfo(path).absolutePath();
    AnimationDialog choices(state_.animation, hooks_.estimateAnimation, this);
    if (!Accepted(execDialog(choices))) {
        return false;
    }
    state_.animation = choices.Choice();
    return hooks_.saveAnimation(path, state_.animation);
}

bool MainWindow::ExportGltf() {
    if (!hooks_.exportGltf) {
        return false;
    }
    bool wholeScene = true;
    const QString selected = hooks_.selectedName ? hooks_.selectedName() : QString();
    if (!selected.isEmpty()) {
        QMessageBox choice(QMessageBox::Question, QStringLiteral("Export"),
                           QStringLiteral("Export the selected object \"%1\" alone, or the whole scene with its "
                                          "lights and camera?")
                               .arg(selected),
                           QMessageBox::Cancel, this);
        QPushButton* alone = choice.addButton(QStringLiteral("Selected Object"), QMessageBox::AcceptRole);
        choice.addButton(QStringLiteral("Whole Scene"), QMessageBox::AcceptRole);
        choice.setDefaultButton(alone);
        execDialog(choice);
        if (choice.clickedButton() == nullptr || choice.clickedButton() == choice.button(QMessageBox::Cancel)) {
            return false;
        }
        wholeScene = choice.clickedButton() != alone;
    }
    QFileDialog dialog(this, QStringLiteral("Export"), lastDirectory_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("glTF Binary (*.glb)"), QStringLiteral("glTF with Files Beside (*.gltf)")});
    dialog.setDefaultSuffix(QStringLiteral("glb"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(dialog.nameFilters().indexOf(filter) == 1 ? QStringLiteral("gltf")
                                                                          : QStringLiteral("glb"));
    });
    if (!Accepted(execDialog(dialog)) || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog.selectedFiles().constFirst();
    lastDirectory_ = QFileInfo(path).absolutePath();
    WaitCursor wait;
    return hooks_.exportGltf(path, wholeScene);
}

void MainWindow::PrintPicture(bool preview) {
    const QImage picture = hooks_.capturePicture ? hooks_.capturePicture() : view_->grabFramebuffer();
    if (picture.isNull()) {
        return;
    }
    const int screenDpiX = view_->logicalDpiX();
    const int screenDpiY = view_->logicalDpiY();
    QPrinter printer(QPrinter::HighResolution);
    if (preview) {
        QPrintPreviewDialog dialog(&printer, this);
        dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [&](QPrinter* target) { ::PrintPicture(*target, picture, screenDpiX, screenDpiY); });
        execDialog(dialog);
        return;
    }
    QPrintDialog dialog(&printer, this);
    if (Accepted(execDialog(dialog))) {
        WaitCursor wait;
        ::PrintPicture(printer, picture, screenDpiX, screenDpiY);
    }
}

void MainWindow::ShowHelp() {
    const QString guide = FindUserGuide(QCoreApplication::applicationDirPath());
    if (guide.isEmpty() || !openUrl(QUrl::fromLocalFile(guide))) {
        GetHost().ShowMessage(msg::kHelpNotFound.text);
    }
}

void MainWindow::ShowWebPage() {
    if (!openUrl(ProjectPage())) {
        GetHost().ShowMessage(msg::kWebPageFailed.text);
    }
}

void MainWindow::ShowAbout() {
    AboutDialog dialog(view_, this);
    execDialog(dialog);
}
