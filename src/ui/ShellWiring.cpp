#include "ui/ShellWiring.h"

#include <QAction>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMimeData>
#include <QProgressDialog>

#include <optional>
#include <string>

#include "export/GltfExport.h"
#include "media/COGLImage.h"
#include "media/COGLTexture2D.h"
#include "media/GameFolder.h"
#include "media/Palette.h"
#include "models/COGLModel.h"
#include "models/quake2/MD2Open.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "render/COGLView.h"
#include "render/ImageOutput.h"
#include "render/MovieCapture.h"
#include "scene/COGLDoc.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/ArchiveOpening.h"
#include "ui/GLWidget.h"
#include "ui/ImageOutput.h"
#include "ui/MainWindow.h"
#include "ui/PropertyWindows.h"
#include "ui/SceneNames.h"
#include "ui/ScenePropertiesPanel.h"
#include "ui/browser/AssetBrowser.h"
#include "ui/browser/AssetCatalog.h"
#include "ui/browser/AssetDrag.h"
#include "ui/scene/SceneTextures.h"

namespace {
// What the window's choices record, through the active pane.
MovieSpec MovieSpecOf(COGLView& view, const AnimationChoice& choice) {
    MovieSpec movie;
    movie.turntable = choice.turntable;
    movie.degrees = choice.degrees;
    movie.orbit = choice.orbit == 0   ? MovieSpec::Orbit::Camera
                 : choice.orbit == 2 ? MovieSpec::Orbit::Scene
                                     : MovieSpec::Orbit::Selection;
    COGLScene* scene = view.Scene();
    movie.animated = choice.play && scene != nullptr ? dynamic_cast<COGLModel*>(scene->Selected()) : nullptr;
    movie.frames = choice.frames;
    movie.fps = choice.fps;
    movie.width = choice.width;
    movie.height = choice.height;
    movie.transparent = choice.transparent;
    return movie;
}
}  // namespace

namespace {
// The size the view draws at, in framebuffer pixels.
QSize DeviceSize(const GLWidget& view) {
    const qreal ratio = view.devicePixelRatioF();
    return {static_cast<int>(view.width() * ratio), static_cast<int>(view.height() * ratio)};
}
}  // namespace

ShellWiring::ShellWiring(MainWindow& window) : window_(window), view_(*window.View()) {
    COGLView& core = Core();
    window_.SetViewCommandTarget(&view_);
    // The animation controls follow every step, so the frame they show moves with the model.
    view_.SetAnimationTick([this, &core] {
        if (!core.AnimationTick()) {
            return false;
        }
        if (window_.Hooks().refreshAnimation) {
            window_.Hooks().refreshAnimation();
        }
        return true;
    });

    properties_ = new PropertyWindows(window_);
    properties_->SetScene(core.Scene());
    properties_->onChanged = [this] {
        // A sheet's edit of the selection, or of the scene's values, is one step of the history.
        if (COGLScene* scene = Core().Scene()) {
            EditHistory& history = Core().Document().History();
            if (const COGLObject* selected = scene->Selected()) {
                const QString what = selected->IsLightMarker() ? QStringLiteral("Light")
                                                               : ObjectKindName(selected->TypeCode());
                // A slider dragged or a spin arrow held is one step, not one for each value it passes.
                const bool continuing = QGuiApplication::mouseButtons() != Qt::NoButton && lastEdit_.isValid() &&
                                        lastEdit_.elapsed() < kContinuedEditMs;
                history.Changed(*scene, scene->Selected(), "Edit " + what.toStdString(), continuing);
                lastEdit_.start();
            }
            history.SceneChanged(*scene, "Edit Scene");
        }
        WatchSelection();
        Core().Document().SetModified(true);
        view_.update();
        window_.RefreshCommandStates();
    };
    // A deleted texture waits in the history, so an undone delete of an object that
    // used it finds it again.
    properties_->SceneSheet().deleteTexture = [this](COGLTexture2D* texture) {
        COGLScene* scene = Core().Scene();
        return scene != nullptr && Core().Document().History().DeleteTexture(*scene, texture, "Delete Texture");
    };
    properties_->SceneSheet().textureAdded = [this](COGLTexture2D* texture) {
        if (COGLScene* scene = Core().Scene()) {
            Core().Document().History().Added(*scene, texture, "Add Texture");
        }
    };
    // The picture replaced or cleared waits in the history.
    properties_->SceneSheet().beforeBackgroundChange = [this](const std::string& what) {
        if (COGLScene* scene = Core().Scene()) {
            Core().Document().History().TakeBackground(*scene, what);
        }
    };
    properties_->onSelectionChanged = [this] {
        WatchSelection();
        view_.update();
        window_.RefreshCommandStates();
    };
    properties_->onPakItemActivated = [this](Archive& pak, const std::string& entryName) {
        view_.makeCurrent();
        const OpenFileResult result = Core().Document().OpenPakEntry(pak, entryName);
        if (result.kind == OpenedKind::Nothing) {
            GetHost().SetStatusText(entryName + " is not a model that can be added.");
            return false;
        }
        properties_->PropertyRefresh();
        return result.succeeded;
    };

    properties_->SceneSheet().addModel = [this](Archive& pak, const std::string& entryName, bool asPlayer) {
        view_.makeCurrent();
        const bool added =
            OpenModelFromPak(Core().Document(), pak, entryName, asPlayer ? MD2OpenAs::Player : MD2OpenAs::Model) !=
            nullptr;
        properties_->PropertyRefresh();
        WatchSelection();
        view_.update();
        window_.RefreshCommandStates();
        return added;
    };

    // The browser adds entries as the paks page does, through the same hooks.
    browser_ = new AssetBrowser(properties_->SceneSheet());
    window_.SetAssetsPage(browser_);
    browser_->SetScene(core.Scene());
    browser_->SetInSight(window_.AssetsAction()->isChecked());
    browserInSight_ = QObject::connect(window_.AssetsDock(), &QDockWidget::visibilityChanged, browser_,
                                       &AssetBrowser::SetInSight);
    browserChanged_ = QObject::connect(browser_, &PropertyPage::changed, browser_, [this] {
        properties_->PropertyRefresh();
        properties_->onChanged();
    });
    assetDropped_ = QObject::connect(&view_, &GLWidget::assetDropped, &view_,
                                     [this](const QMimeData* data, int x, int y) { DropAsset(data, x, y); });

    // The property windows answer the refresh hooks.
    ShellHooks& hooks = window_.Hooks();
    auto refreshProperties = hooks.refreshProperties;
    hooks.refreshProperties = [this, refreshProperties] {
        if (refreshProperties) {
            refreshProperties();
        }
        // A pak opened, a scene read or cleared: the browser follows the archives.
        browser_->Refresh();
        // Whatever the sheets show now is the state their next edit replaces.
        WatchSelection();
        window_.RefreshCommandStates();
    };
    hooks.undoName = [this] { return QString::fromStdString(Core().Document().History().UndoName()); };
    hooks.redoName = [this] { return QString::fromStdString(Core().Document().History().RedoName()); };
    hooks.isModified = [this] { return Core().Document().IsModified(); };
    hooks.documentPath = [this] { return QString::fromStdString(Core().Document().PathName()); };
    hooks.openFile = [this](const QString& path) { return OpenFile(path); };
    hooks.modelOptionsChosen = [](const ModelOpenOptions& options) {
        MD2OpenOptions md2;
        md2.useDefaultPalette = options.useDefaultPalette;
        md2.autoDetectPlayer = options.autoDetectPlayer;
        md2.loadAsPlayer = options.loadAsPlayer;
        SetMD2OpenOptions(md2);
    };
    hooks.scene = [this]() -> const COGLScene* { return Core().Scene(); };
    hooks.addPlayer = [this](Archive* archive, const std::string& body) {
        view_.makeCurrent();
        COGLMD2* added = archive != nullptr ? OpenModelFromPak(Core().Document(), *archive, body, MD2OpenAs::Player)
                                            : OpenMD2Model(Core().Document(), body, MD2OpenAs::Player);
        properties_->PropertyRefresh();
        WatchSelection();
        view_.update();
        return added != nullptr;
    };
    hooks.saveScene = [this](const QString& path) {
        view_.makeCurrent();
        return Core().Document().Save(path.toStdString());
    };
    hooks.capturePicture = [this] { return CapturePicture(); };
    hooks.saveImage = [this](const QString& path, ImageFormat format, int qualityIndex) {
        const QSize size = DeviceSize(view_);
        view_.makeCurrent();
        COGLView& view = Core();
        if (!view.Capture(size.width(), size.height(), 3)) {
            GetHost().ShowMessage(msg::kErrorOpeningFile.text);
            return false;
        }
        const bool written = WriteImage(view.Captured(), path.toStdString(), format, qualityIndex);
        view.Release();
        if (!written) {
            GetHost().ShowMessage(msg::kErrorOpeningFile.text);
        }
        return written;
    };
    hooks.selectedName = [this] {
        const COGLScene* scene = Core().Scene();
        const COGLObject* selected = scene != nullptr ? scene->Selected() : nullptr;
        return selected != nullptr ? GameText(selected->Name()) : QString();
    };
    hooks.exportGltf = [this](const QString& path, bool wholeScene) {
        view_.makeCurrent();
        COGLView& view = Core();
        COGLScene* scene = view.Scene();
        GltfExportOptions options;
        std::string error = "there is nothing to export";
        bool written = false;
        if (wholeScene && scene != nullptr) {
            options.camera = view.ExportedCamera();
            written = ExportSceneToFile(*scene, path.toStdString(), options, error);
        } else if (scene != nullptr && scene->Selected() != nullptr) {
            written = ExportObjectToFile(*scene->Selected(), scene, path.toStdString(), options, error);
        }
        if (!written) {
            GetHost().ShowMessage("Cannot export: " + error + ".");
        }
        return written;
    };
    hooks.estimateAnimation = [this](const AnimationChoice& choice, bool& ok) {
        ok = false;
        const MovieSpec movie = MovieSpecOf(Core(), choice);
        if (!choice.turntable && !choice.play) {
            return QStringLiteral("Choose a turn of the camera, the animation, or both.");
        }
        if (choice.play && movie.animated == nullptr) {
            return QStringLiteral("Select a model to play its animation.");
        }
        std::string error;
        const std::optional<MoviePlan> plan = PlanMovie(Core(), movie, error);
        if (!plan) {
            return QStringLiteral("This cannot be recorded: %1.").arg(QString::fromStdString(error));
        }
        ok = true;
        long long milliseconds = 0;
        for (const int delay : plan->delaysMs) {
            milliseconds += delay;
        }
        return QStringLiteral("%1 frames of %2 x %3, %4 s.")
            .arg(plan->frames)
            .arg(choice.width)
            .arg(choice.height)
            .arg(static_cast<double>(milliseconds) / 1000.0, 0, 'f', 1);
    };
    hooks.saveAnimation = [this](const QString& path, const AnimationChoice& choice) {
        const std::optional<MovieFormat> format = MovieFormatForPath(path.toStdString());
        if (!format) {
            ShowMessage(msg::kExtensionNotSupported);
            return false;
        }
        view_.makeCurrent();
        QProgressDialog progress(QStringLiteral("Recording the animation..."), QStringLiteral("Cancel"), 0, 1, &window_);
        progress.setWindowTitle(QStringLiteral("Save Animation"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        // The window goes on drawing between frames; the recording's context comes back after.
        const MovieProgress step = [&](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            QCoreApplication::processEvents();
            view_.makeCurrent();
            return !progress.wasCanceled();
        };
        MovieOutput output;
        output.path = path.toStdString();
        output.format = *format;
        output.quality = choice.quality;
        output.dither = choice.dither;
        std::string error;
        bool cancelled = false;
        const bool saved = SaveMovie(Core(), MovieSpecOf(Core(), choice), output, step, error, &cancelled);
        progress.reset();
        view_.update();
        if (cancelled) {
            GetHost().SetStatusText("The animation was not saved.");
        } else if (!saved) {
            GetHost().ShowMessage("Cannot save the animation: " + error + ".");
        } else {
            GetHost().SetStatusText("Saved " + fs_util::FileNameOf(output.path) + ".");
        }
        return saved;
    };
    hooks.optionsChanged = [this] {
        BuildGammaTable(window_.State().gamma);
        view_.update();
    };
    hooks.setUpVisualWeapons = [this] {
        if (COGLScene* scene = Core().Scene()) {
            view_.makeCurrent();
            scene->SetUpVisualWeapons();
        }
    };
}

ShellWiring::~ShellWiring() {
    // The property windows stay with the window and keep answering its refreshes.
    PropertyWindows* properties = properties_;
    window_.Hooks() = ShellHooks{};
    window_.Hooks().refreshProperties = [properties] { properties->PropertyRefresh(); };
    window_.Hooks().refreshAnimation = [properties] { properties->RefreshAnimation(); };
    window_.SetViewCommandTarget(nullptr);
    view_.SetAnimationTick({});
    view_.SetAnimating(false);
    properties_->onChanged = nullptr;
    properties_->onSelectionChanged = nullptr;
    properties_->onPakItemActivated = nullptr;
    properties_->SceneSheet().addModel = nullptr;
    properties_->SceneSheet().deleteTexture = nullptr;
    properties_->SceneSheet().textureAdded = nullptr;
    properties_->SceneSheet().beforeBackgroundChange = nullptr;
    properties_->SetScene(nullptr);
    QObject::disconnect(browserChanged_);
    QObject::disconnect(browserInSight_);
    QObject::disconnect(assetDropped_);
    browser_->SetScene(nullptr);
}

COGLView& ShellWiring::Core() const { return view_.Core(); }

QImage ShellWiring::CapturePicture() {
    const QSize size = DeviceSize(view_);
    view_.makeCurrent();
    COGLView& view = Core();
    if (!view.Capture(size.width(), size.height(), 3)) {
        return {};
    }
    QImage picture = ImageFromCapture(view.Captured());
    view.Release();
    return picture;
}

bool ShellWiring::OpenFile(const QString& path) {
    view_.makeCurrent();
    COGLView& view = Core();
    const std::string name = path.toStdString();
    // A folder may be a whole game: walked away from the window.
    const bool folder = fs_util::DirectoryExists(name) && view.Scene() != nullptr && view.Scene()->FindPak(name) == nullptr;
    const OpenFileResult result =
        folder ? view.Document().AddArchive(name, OpenArchiveApart(name)) : view.Document().OpenFile(name);
    view_.makeCurrent();  // the window drew meanwhile
    const GameFolder* game = nullptr;
    if (result.kind == OpenedKind::Pak && result.succeeded) {
        properties_->ShowPak(result.pakPosition);
        game = dynamic_cast<const GameFolder*>(view.Scene()->PakAt(result.pakPosition));
    }
    properties_->PropertyRefresh();
    browser_->Refresh();
    WatchSelection();
    view_.update();
    if (game != nullptr) {
        AnnounceGame(*game);  // last, so that no progress text of the listing replaces it
    }
    return result.succeeded;
}

// A whole game is opened to be browsed: say what was found and show its assets.
void ShellWiring::AnnounceGame(const GameFolder& game) {
    const GameFolder::Layout& layout = game.GameLayout();
    const auto nameOf = [](const std::string& path) { return QString::fromStdString(fs_util::FileNameOf(path)); };
    QString folder = nameOf(layout.baseFolder);
    if (!layout.modFolder.empty()) {
        folder = QStringLiteral("%1 (over %2)").arg(nameOf(layout.modFolder), folder);
    }
    // Loose files are part of the stack, but a modder counts the archives.
    int count = 0;
    for (int source = 0; source < game.SourceCount(); ++source) {
        count += game.Source(source).Kind() != ArchiveKind::Folder ? 1 : 0;
    }
    const QString archives = count == 0   ? QStringLiteral("loose files only")
                             : count == 1 ? QStringLiteral("1 archive")
                                          : QStringLiteral("%1 archives").arg(count);
    GetHost().SetStatusText(QStringLiteral("Opened the %1 game in %2: %3.")
                                .arg(QString::fromLatin1(GameKindName(layout.game)), folder, archives)
                                .toStdString());
    QDockWidget* assets = window_.AssetsDock();
    assets->show();
    assets->raise();
}

void ShellWiring::DropAsset(const QMimeData* data, int x, int y) {
    const std::optional<DraggedAsset> dragged = DraggedAssetOf(data);
    COGLScene* scene = Core().Scene();
    Archive* pak = dragged && scene != nullptr ? scene->FindPak(dragged->archivePath) : nullptr;
    if (pak == nullptr) {
        return;
    }
    view_.makeCurrent();
    COGLObject* object = COGLImage::IsArchivePicture(*pak, dragged->name) ? Core().ObjectAt(x, y) : nullptr;
    if (object == nullptr) {
        Core().SetDropPoint(x, y);
        browser_->Add(*pak, dragged->name);
        Core().ClearDropPoint();
        return;
    }
    EditHistory& history = Core().Document().History();
    history.Watch(*scene, object);
    bool fresh = false;
    COGLTexture2D* texture = AddArchivePicture(*scene, *pak, dragged->name, fresh);
    if (texture != nullptr) {
        object->SetTexture(texture);
        history.ChangedWithTexture(*scene, object, fresh ? texture : nullptr,
                                   "Texture " + ObjectKindName(object->TypeCode()).toStdString());
        GetHost().SetStatusText(
            QStringLiteral("%1 wears %2.").arg(ObjectLabel(*object), GameText(texture->Name())).toStdString());
    }
    // The sheets' next edit starts from the selection again.
    WatchSelection();
    properties_->PropertyRefresh();
    view_.update();
    window_.RefreshCommandStates();
}

void ShellWiring::WatchSelection() {
    if (COGLScene* scene = Core().Scene()) {
        Core().Document().History().Watch(*scene, scene->Selected());
        Core().Document().History().WatchScene(*scene);
    }
}
