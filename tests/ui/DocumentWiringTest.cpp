#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QtEndian>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include "ShellTestSupport.h"
#include "models/COGLModel.h"
#include "models/ModelFamilies.h"
#include "models/sprite/COGLSprite.h"
#include "render/COGLView.h"
#include "render/CommandIds.h"
#include "render/ImageOutput.h"
#include "scene/COGLDoc.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "support/MdlWriters.h"
#include "support/MediaWriters.h"
#include "support/SpriteWriters.h"
#include "support/WriteFailure.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"
#include "ui/ShellWiring.h"


namespace {
const QString kDemo = QStringLiteral(MAROVIN_SOURCE_DIR "/samples/scenes/demo.dv");
const QString kBanner = QStringLiteral(MAROVIN_SOURCE_DIR "/samples/models/banner/tris.md2");

template <typename Widget>
Widget* ChildWithText(QWidget* parent, const QString& text) {
    for (Widget* child : parent->findChildren<Widget*>()) {
        if (child->text() == text) {
            return child;
        }
    }
    return nullptr;
}
}  // namespace

class DocumentWiringTest : public QObject {
    Q_OBJECT
private slots:
    // As the program does at start-up.
    void initTestCase() { RegisterModelClasses(); }

    void opensAndSavesScenes() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.window.OpenFile(kDemo));
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{6});
        QCOMPARE(shell.Scene().Lights().size(), std::size_t{2});
        QVERIFY(shell.Scene().ShadowsEnabled());
        QVERIFY(shell.fixture.host.messages.empty());

        const QString copy = shell.fixture.Path(QStringLiteral("copy.dv"));
        QVERIFY(shell.window.Hooks().saveScene(copy));
        QVERIFY(shell.window.CommandTarget().Command(cmd::kClear));
        QVERIFY(shell.Scene().Objects().empty());
        QVERIFY(shell.window.OpenFile(copy));
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{6});
        QCOMPARE(shell.Scene().Objects().front()->Name(), std::string("Floor"));
        QVERIFY(shell.window.RecentFiles().Files().contains(copy));
        // A file that is not a scene opens nothing and stays out of the list.
        QVERIFY(!shell.window.OpenFile(shell.fixture.Path(QStringLiteral("none.txt"))));
    }

    // The window's saves on a disk that takes no more bytes: each says so with the
    // program's message and keeps what was there.
    void aFullDiskKeepsEverySavedFile() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.window.OpenFile(kDemo));
        const QString scene = shell.fixture.Path(QStringLiteral("copy.dv"));
        const QString picture = shell.fixture.Path(QStringLiteral("shot.png"));
        const QString model = shell.fixture.Path(QStringLiteral("scene.glb"));
        QVERIFY(shell.window.Hooks().saveScene(scene));
        QVERIFY(shell.window.Hooks().saveImage(picture, ImageFormat::Png, 1));
        QVERIFY(shell.window.Hooks().exportGltf(model, true));
        const auto before = FolderContents(shell.fixture.dir.path().toStdString());
        shell.fixture.host.Clear();
        {
            FileSizeLimit limit(64);
            QVERIFY(!shell.window.Hooks().saveScene(scene));
            QVERIFY(!shell.window.Hooks().saveImage(picture, ImageFormat::Png, 1));
            QVERIFY(!shell.window.Hooks().exportGltf(model, true));
        }
        QVERIFY(shell.fixture.host.HasMessage("Failed to save document."));
        QVERIFY(shell.fixture.host.HasMessage("Error opening file"));
        QVERIFY(shell.fixture.host.HasMessage("Cannot export: cannot write '" + model.toStdString() +
                                              "': File too large."));
        QCOMPARE(shell.fixture.host.messages.size(), std::size_t{3});
        QVERIFY(FolderContents(shell.fixture.dir.path().toStdString()) == before);
    }

    void aModelPlaysAndItsPageFollows() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.window.OpenFile(kBanner));
        auto* model = dynamic_cast<COGLModel*>(shell.Scene().Selected());
        QVERIFY(model != nullptr);
        QVERIFY(model->Animations().size() >= 2);

        // The pages of the object sheet drive the model.
        QWidget* sheet = &shell.wiring.Properties().ObjectSheet();
        // A model that is not a player lists its skins too, the one it wears marked.
        auto* skins = sheet->findChild<QListWidget*>(QStringLiteral("skins"));
        QVERIFY(skins != nullptr);
        QVERIFY(!model->Skins().empty());
        QCOMPARE(skins->count(), static_cast<int>(model->Skins().size()));
        QCOMPARE(skins->currentRow(), 0);
        QPushButton* play = nullptr;
        for (QPushButton* button : sheet->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Play")) {
                play = button;
            }
        }
        QVERIFY(play != nullptr);
        auto* speed = sheet->findChild<QSlider*>();
        QVERIFY(speed != nullptr);
        speed->setValue(100);
        QCOMPARE(model->Speed(), COGLModel::SpeedFromSlider(100));
        QCOMPARE(COGLModel::SpeedFromSlider(100), 1.0f);
        play->click();
        QVERIFY(model->IsAnimating());
        QVERIFY(shell.window.View()->IsAnimating());
        const float start = model->FramePosition();
        QTRY_VERIFY_WITH_TIMEOUT(model->FramePosition() != start, 5000);
        QVERIFY(shell.wiring.Core().Document().IsModified());

        // Single step stops the clock and starts from the first frame.
        QCheckBox* singleStep = nullptr;
        for (QCheckBox* box : sheet->findChildren<QCheckBox*>()) {
            if (box->text() == QStringLiteral("Single Step")) {
                singleStep = box;
            }
        }
        QVERIFY(singleStep != nullptr);
        singleStep->setChecked(true);
        QVERIFY(model->SingleStep());
        QVERIFY(!model->IsAnimating());
        QCOMPARE(model->FramePosition(), 0.0f);
        QCOMPARE(model->FrameIndex(), 0);
    }

    // The pak browser adds Quake models and sprites through their openers, and
    // the Animation page plays a sprite's pictures as it plays a model.
    void pakEntriesOfEveryFamilyOpenAndSpritesPlayOnTheAnimationPage() {
        Shell shell;
        QVERIFY(shell.exposed);
        fixtures::SprSprite flame;
        flame.frames = {{false, {fixtures::SolidPicture(100)}, {}}, {false, {fixtures::SolidPicture(200)}, {}}};
        fixtures::PakBuilder builder;
        builder.Add("progs/box.mdl", fixtures::WriteMdl(fixtures::MakeBoxMdl({{"stand1"}, {"stand2"}})))
            .Add("sprites/flame.spr", fixtures::WriteSpr(flame))
            .Add("sprites/notes.txt", std::string("not a model"));
        const QString path = shell.fixture.Path(QStringLiteral("pak0.pak"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const ByteBuffer bytes = builder.Build();
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();
        QVERIFY(shell.window.OpenFile(path));
        Archive& pak = *shell.Scene().PakAt(0);
        const auto& activate = shell.wiring.Properties().onPakItemActivated;

        QVERIFY(activate(pak, "progs/box.mdl"));
        QCOMPARE(shell.Scene().Selected()->TypeCode(), 15);
        QVERIFY(!activate(pak, "sprites/notes.txt"));
        QCOMPARE(shell.fixture.host.statusText, std::string("sprites/notes.txt is not a model that can be added."));
        QVERIFY(activate(pak, "sprites/flame.spr"));
        auto* sprite = dynamic_cast<COGLSprite*>(shell.Scene().Selected());
        QVERIFY(sprite != nullptr);
        QCOMPARE(shell.Scene().Objects().size(), std::size_t{2});
        QVERIFY(shell.fixture.host.messages.empty());

        QWidget* sheet = &shell.wiring.Properties().ObjectSheet();
        auto* play = ChildWithText<QPushButton>(sheet, QStringLiteral("Play"));
        auto* reverseLights = ChildWithText<QCheckBox>(sheet, QStringLiteral("Reverse effect of lights"));
        QVERIFY(play != nullptr && reverseLights != nullptr);
        QVERIFY(!reverseLights->isEnabled());  // sprites have no normals to reverse
        sheet->findChild<QSlider*>()->setValue(100);
        QCOMPARE(sprite->Speed(), 1.0f);
        play->click();
        QVERIFY(sprite->IsAnimating());
        QTRY_VERIFY_WITH_TIMEOUT(sprite->FrameIndex() == 1, 5000);
    }

    void savesTheViewsPicture() {
        Shell shell;
        QVERIFY(shell.exposed);
        shell.Scene().SetBackgroundColor(0.0f, 0.0f, 1.0f);
        const QString path = shell.fixture.Path(QStringLiteral("view.png"));
        QVERIFY(shell.window.Hooks().saveImage(path, ImageFormat::Png, 0));
        const QImage saved(path);
        QVERIFY(!saved.isNull());
        const qreal ratio = shell.window.View()->devicePixelRatioF();
        QCOMPARE(saved.size(), shell.window.View()->size() * ratio);
        // The background fills the corners; the "Default" light's marker is left out.
        QCOMPARE(saved.pixelColor(0, 0), QColor(0, 0, 255));
        QCOMPARE(saved.pixelColor(saved.width() - 1, saved.height() - 1), QColor(0, 0, 255));
        const QImage printed = shell.wiring.CapturePicture();
        QCOMPARE(printed.size(), saved.size());
        QCOMPARE(printed.pixelColor(0, 0), QColor(0, 0, 255));
        QVERIFY(shell.fixture.host.messages.empty());
    }

    // File > Export...: the selected model alone, then the whole scene with its
    // lights and camera, as the glTF chunk of each .glb says.
    void exportsTheSelectionOrTheWholeScene() {
        Shell shell;
        QVERIFY(shell.window.OpenFile(kDemo));
        QVERIFY(shell.window.OpenFile(kBanner));
        QVERIFY(shell.Scene().Selected() != nullptr);
        QString choice;
        QString path;
        QStringList filters;
        shell.window.execDialog = [&](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                for (QAbstractButton* button : box->buttons()) {
                    if (button->text() == choice) {
                        button->click();
                    }
                }
                return 0;
            }
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                filters = files->nameFilters();
                files->selectFile(path);
                return static_cast<int>(QDialog::Accepted);
            }
            return static_cast<int>(QDialog::Rejected);
        };
        const auto gltfOf = [](const QString& file) {
            QFile glb(file);
            if (!glb.open(QIODevice::ReadOnly)) {
                return QJsonObject();
            }
            const QByteArray bytes = glb.readAll();
            if (bytes.size() < 20 || !bytes.startsWith("glTF")) {
                return QJsonObject();
            }
            const auto length = qFromLittleEndian<quint32>(bytes.constData() + 12);
            return QJsonDocument::fromJson(bytes.mid(20, static_cast<int>(length))).object();
        };

        choice = QStringLiteral("Selected Object");
        path = shell.fixture.Path(QStringLiteral("banner.glb"));
        shell.window.RunCommand(cmd::kExportGltf);
        QCOMPARE(filters.size(), 2);
        const QJsonObject banner = gltfOf(path);
        QCOMPARE(banner["nodes"].toArray().size(), 1);
        QCOMPARE(banner["nodes"].toArray()[0].toObject()["name"].toString(), QStringLiteral("banner"));
        QCOMPARE(banner["animations"].toArray().size(), 3);

        choice = QStringLiteral("Whole Scene");
        path = shell.fixture.Path(QStringLiteral("scene.glb"));
        shell.window.RunCommand(cmd::kExportGltf);
        const QJsonObject scene = gltfOf(path);
        QCOMPARE(scene["cameras"].toArray().size(), 1);
        QVERIFY(scene["extensionsUsed"].toArray().contains(QStringLiteral("KHR_lights_punctual")));
        QStringList names;
        for (const QJsonValue& node : scene["nodes"].toArray()) {
            names << node.toObject()["name"].toString();
        }
        QVERIFY(names.contains(QStringLiteral("Floor")));
        QVERIFY(names.contains(QStringLiteral("banner")));

        // Cancelling the choice writes nothing.
        choice = QStringLiteral("Cancel");
        path = shell.fixture.Path(QStringLiteral("none.glb"));
        shell.window.RunCommand(cmd::kExportGltf);
        QVERIFY(!QFile::exists(path));
        QVERIFY(shell.fixture.host.messages.empty());
    }
};

QTEST_MAIN(DocumentWiringTest)
#include "DocumentWiringTest.moc"
