#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "SceneTestSupport.h"
#include "ShellTestSupport.h"
#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "render/HeadlessContext.h"
#include "ui/GLWidget.h"
#include "ui/ScenePropertiesPanel.h"
#include "ui/scene/PaksPage.h"

namespace {
struct Sheet {
    ShellFixture fixture;
    SampleScene s;
    ScenePropertiesPanel panel;
    int changes = 0;
    int selections = 0;

    Sheet() {
        fixture.TakeMessages();
        panel.SetScene(&s.scene);
        panel.onChanged = [this] { ++changes; };
        panel.onSelectionChanged = [this] { ++selections; };
    }
    template <typename T>
    T* Find(const char* name) const {
        return Child<T>(&panel, name);
    }
    void Click(const char* button) const { Find<QAbstractButton>(button)->click(); }
    std::string LastMessage() const {
        return fixture.host.messages.empty() ? std::string() : fixture.host.messages.back().text;
    }
    // Clicks a row of a list as a user does.
    void ClickRow(const char* list, int row) const {
        auto* widget = Find<QListWidget>(list);
        const QRect rect = widget->visualItemRect(widget->item(row));
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Chooses a thing in a combo box by its text and presses the button next to it.
    void AddFrom(const char* combo, const QString& text, const char* button) const {
        auto* box = Find<QComboBox>(combo);
        box->setCurrentIndex(box->findText(text));
        Click(button);
    }
};

std::unique_ptr<HeadlessContext> MakeContext() {
    std::string error;
    auto gl = HeadlessContext::Create(16, 16, &error);
    if (gl == nullptr) {
        qWarning("no GL context: %s", error.c_str());
    }
    return gl;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QStringList& path) {
    QTreeWidgetItem* node = tree->invisibleRootItem();
    for (const QString& text : path) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == text) {
                next = node->child(i);
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        node = next;
    }
    return node;
}

QStringList Texts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) {
        texts << node->child(i)->text(0);
    }
    return texts;
}

ByteBuffer TgaPicture() {
    ByteBuffer stored(4 * 4 * 3, 0x80);
    return fixtures::WriteTga(4, 4, stored, fixtures::TgaOptions{});
}
}  // namespace

class ScenePropertiesTest : public QObject {
    Q_OBJECT
private slots:
    void clickingTheListsSelectsInTheScene() {
        Sheet sheet;
        sheet.panel.resize(360, 640);
        sheet.panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet.panel));
        auto* objects = sheet.Find<QListWidget>("objects");
        auto* lights = sheet.Find<QListWidget>("lights");
        QCOMPARE(objects->count(), 5);
        QCOMPARE(objects->item(2)->text(), QString("East wall (Right Wall)"));
        QCOMPARE(lights->item(1)->text(), QString("Lamp (spot)"));

        sheet.ClickRow("objects", 2);
        QCOMPARE(sheet.s.scene.Selected(), sheet.s.wall);
        QCOMPARE(sheet.selections, 1);
        QCOMPARE(sheet.changes, 0);  // choosing is not an edit

        sheet.ClickRow("lights", 1);
        QCOMPARE(sheet.s.scene.SelectedLight(), sheet.s.spot);
        QVERIFY(objects->selectedItems().isEmpty());
        QCOMPARE(sheet.selections, 2);

        // The view picks something else: the lists follow without selecting anew.
        sheet.s.scene.SetSelectedObject(sheet.s.text);
        sheet.panel.Refresh();
        QCOMPARE(objects->selectedItems().constFirst(), objects->item(4));
        QVERIFY(lights->selectedItems().isEmpty());
        QCOMPARE(sheet.selections, 2);

        // A hidden object and a switched-off light are greyed, not dropped.
        sheet.s.sphere->Hide();
        sheet.s.point->SetEnabled(false);
        sheet.panel.Refresh();
        QCOMPARE(objects->item(3)->toolTip(), QString("Hidden"));
        QCOMPARE(lights->item(0)->toolTip(), QString("Off"));

        // Rows of things the scene no longer holds select nothing.
        sheet.s.scene.RemoveObject(sheet.s.floor);
        sheet.ClickRow("objects", 1);
        QCOMPARE(sheet.s.scene.Selected(), sheet.s.text);
        sheet.panel.Refresh();
        QCOMPARE(objects->count(), 4);
    }

    void shadowTablesKeepTheirLimits() {
        Sheet sheet;
        auto* enabled = sheet.Find<QCheckBox>("shadowsEnabled");
        enabled->click();
        QVERIFY(!sheet.s.scene.ShadowsEnabled());
        QVERIFY(!enabled->isChecked());
        QCOMPARE(sheet.fixture.host.statusText, std::string("Shadows need a casting light and a receiving plane."));

        for (const char* name : {"Ground (Floor)", "East wall (Right Wall)", "Crate (Box)", "Ball (Sphere)"}) {
            sheet.AddFrom("shadowPlanesChoice", QString::fromLatin1(name), "addshadowPlanes");
        }
        QCOMPARE(sheet.s.scene.ShadowPlanes().size(), size_t{4});
        QCOMPARE(sheet.Find<QListWidget>("shadowPlanes")->count(), 4);
        QVERIFY(sheet.fixture.host.messages.empty());
        // Only the text is left to offer, and it does not fit.
        QCOMPARE(sheet.Find<QComboBox>("shadowPlanesChoice")->count(), 1);
        sheet.Click("addshadowPlanes");
        QCOMPARE(sheet.LastMessage(), std::string("No more than 4 planes can receive shadows."));
        QCOMPARE(sheet.s.scene.ShadowPlanes().size(), size_t{4});
        QVERIFY(!sheet.s.scene.IsShadowPlane(sheet.s.text));

        sheet.AddFrom("shadowLightsChoice", QStringLiteral("Point (point)"), "addshadowLights");
        QCOMPARE(sheet.s.scene.ShadowLights().size(), size_t{1});
        enabled->click();
        QVERIFY(sheet.s.scene.ShadowsEnabled());
        QVERIFY(enabled->isChecked());

        // Taking the only light out turns shadows off, and the box says so.
        auto* lights = sheet.Find<QListWidget>("shadowLights");
        lights->setCurrentRow(0);
        sheet.Click("removeshadowLights");
        QVERIFY(sheet.s.scene.ShadowLights().empty());
        QVERIFY(!sheet.s.scene.ShadowsEnabled());
        QVERIFY(!enabled->isChecked());

        // A plane taken out makes room for the text.
        auto* planes = sheet.Find<QListWidget>("shadowPlanes");
        planes->setCurrentRow(1);
        sheet.Click("removeshadowPlanes");
        QVERIFY(!sheet.s.scene.IsShadowPlane(sheet.s.wall));
        QCOMPARE(planes->item(1)->text(), QString("Crate (Box)"));
        sheet.AddFrom("shadowPlanesChoice", QStringLiteral("Title (Text)"), "addshadowPlanes");
        QVERIFY(sheet.s.scene.IsShadowPlane(sheet.s.text));

        auto* opacity = sheet.Find<QDoubleSpinBox>("shadowOpacity");
        QVERIFY(!opacity->isEnabled());
        sheet.Click("shadowBlending");
        QVERIFY(sheet.s.scene.ShadowBlending());
        QVERIFY(opacity->isEnabled());
        opacity->setValue(0.4);
        QCOMPARE(sheet.s.scene.ShadowOpacity(), 0.4f);
    }

    void texturesAreAddedAndDeletedOnlyWhenUnused() {
        Sheet sheet;
        auto gl = MakeContext();
        QVERIFY(gl != nullptr);
        const QString stone = QString::fromStdString(WriteBytes(sheet.fixture.Path("stone.bmp"), Picture(8, 8)));
        const QString moss = QString::fromStdString(WriteBytes(sheet.fixture.Path("moss.bmp"), Picture(16, 8)));
        const QString junk = QString::fromStdString(WriteBytes(sheet.fixture.Path("junk.bmp"), ByteBuffer(40, 7)));
        QStringList answer{stone, moss};
        QString asked;
        sheet.panel.choosePictures = [&](const QString& title, bool several) {
            asked = title + (several ? QStringLiteral(" (several)") : QString());
            return answer;
        };
        sheet.Click("addTexture");
        QCOMPARE(asked, QString("Add Textures (several)"));
        auto* list = sheet.Find<QListWidget>("textures");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QString("moss  (16 \u00D7 8)"));
        QCOMPARE(list->item(1)->toolTip(), moss);
        QCOMPARE(sheet.changes, 1);

        // The same file again, and a picture that cannot be read, add nothing.
        answer = QStringList{stone, junk};
        sheet.Click("addTexture");
        QCOMPARE(sheet.s.scene.Textures().size(), size_t{2});
        QCOMPARE(sheet.changes, 1);

        list->clearSelection();
        list->setCurrentItem(nullptr);
        const std::size_t said = sheet.fixture.host.messages.size();
        sheet.Click("deleteTexture");
        QCOMPARE(sheet.LastMessage(), std::string("You must select a texture first."));
        QCOMPARE(sheet.fixture.host.messages.size(), said + 1);

        sheet.s.box->SetTexture(sheet.s.scene.TextureAt(0));
        list->setCurrentRow(0);
        sheet.Click("deleteTexture");
        QCOMPARE(sheet.LastMessage(), std::string("This texture is in use, delete request denied."));
        QCOMPARE(sheet.s.scene.Textures().size(), size_t{2});
        QCOMPARE(sheet.s.box->Texture(), sheet.s.scene.TextureAt(0));

        list->setCurrentRow(1);
        sheet.Click("deleteTexture");
        QCOMPARE(sheet.s.scene.Textures().size(), size_t{1});
        QCOMPARE(list->count(), 1);
        QCOMPARE(sheet.changes, 2);
        sheet.s.scene.Clear();
    }

    void backgroundAndAmbient() {
        Sheet sheet;
        auto gl = MakeContext();
        QVERIFY(gl != nullptr);
        sheet.panel.chooseColor = [](const QColor&, const QString& title) -> std::optional<QColor> {
            return title == QStringLiteral("Ambient Light") ? QColor(51, 51, 102) : QColor(0, 0, 51);
        };
        sheet.Click("backgroundColor");
        QCOMPARE(sheet.s.scene.BackgroundColor()[2], 0.2f);
        sheet.s.scene.SetAmbient({0.2f, 0.2f, 0.2f, 0.5f});
        sheet.Click("ambient");
        QVERIFY(sheet.s.scene.Ambient() == ColorRGBA(0.2f, 0.2f, 0.4f, 0.5f));
        QCOMPARE(sheet.Find<ColorButton>("ambient")->Color(), QColor(51, 51, 102));

        sheet.Click("backgroundMode2");
        QCOMPARE(sheet.s.scene.BackgroundMode(), 2);
        QCOMPARE(sheet.changes, 3);

        auto* image = sheet.Find<QLabel>("backgroundImage");
        QCOMPARE(image->text(), QString("None"));
        QVERIFY(!sheet.Find<QPushButton>("clearBackground")->isEnabled());
        const QString sky = QString::fromStdString(WriteBytes(sheet.fixture.Path("sky.bmp"), Picture(32, 16)));
        sheet.panel.choosePictures = [&sky](const QString&, bool several) {
            return several ? QStringList() : QStringList{sky};
        };
        sheet.Click("loadBackground");
        QVERIFY(sheet.s.scene.BackgroundValid());
        QCOMPARE(image->text(), QString("sky  (32 \u00D7 16)"));
        QVERIFY(sheet.Find<QPushButton>("clearBackground")->isEnabled());
        QVERIFY(sheet.Find<QRadioButton>("backgroundMode2")->isChecked());

        sheet.Click("clearBackground");
        QVERIFY(!sheet.s.scene.BackgroundValid());
        QCOMPARE(sheet.s.scene.Background(), nullptr);
        QCOMPARE(image->text(), QString("None"));
        QCOMPARE(sheet.changes, 5);
    }

    void pakPageShowsTheArchiveTree() {
        Sheet sheet;
        auto gl = MakeContext();
        QVERIFY(gl != nullptr);
        auto* placeholder = sheet.Find<QLabel>("pakPlaceholder");
        QCOMPARE(placeholder->text(), QString("No archives yet: open a pak, pk3 or WAD with File, Open Pak File..., "
                                              "or a whole game with File, Open Game Folder..."));

        fixtures::PakBuilder pak;
        pak.Add("players/male/tris.md2", std::string("IDP2"))
            .Add("players/male/weapon.md2", std::string("IDP2"))
            .Add("sound/misc/tele1.wav", std::string("RIFF"))
            .Add("env/unit1_rt.tga", TgaPicture())
            .Add("models/items/ammo/tris.md2", std::string("IDP2"))
            .Add("textures/e1u1/broken.wal", std::string("not a picture"));
        const std::string path = WriteBytes(sheet.fixture.Path("pak0.pak"), pak.Build());
        fixtures::PakBuilder sounds;
        sounds.Add("sound/misc/tele1.wav", std::string("RIFF"));
        const std::string soundsPath = WriteBytes(sheet.fixture.Path("sounds.pak"), sounds.Build());
        QCOMPARE(sheet.s.scene.AddPak(path), 0);
        QCOMPARE(sheet.s.scene.AddPak(soundsPath), 1);

        sheet.panel.ShowPak(0);
        QCOMPARE(sheet.panel.Tabs()->currentIndex(), int(ScenePropertiesPanel::kPaksPage));
        QTreeWidget* tree = sheet.panel.Paks().Tree();
        QVERIFY(tree->isVisibleTo(&sheet.panel));
        QCOMPARE(Texts(tree->invisibleRootItem()), QStringList({"env", "models", "players", "textures"}));
        QTreeWidgetItem* male = FindItem(tree, {"players", "male"});
        QVERIFY(male != nullptr);
        QCOMPARE(Texts(male), QStringList({"weapon"}));
        QCOMPARE(male->toolTip(0), QString("players/male/tris.md2"));
        QVERIFY(FindItem(tree, {"sound"}) == nullptr);
        QCOMPARE(sheet.fixture.host.progressTexts.back(), std::string("Building Directory Tree"));

        // Models go to whoever adds models; a directory without a model is nothing to add.
        QStringList activated;
        sheet.panel.onPakItemActivated = [&activated](Archive& archive, const std::string& entry) {
            activated << QString::fromStdString(archive.Path() + ":" + entry);
            return true;
        };
        sheet.panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet.panel));
        tree->expandAll();
        QTreeWidgetItem* weapon = FindItem(tree, {"players", "male", "weapon"});
        tree->scrollToItem(weapon);
        QCoreApplication::processEvents();
        // QTest's double-click event comes without the press before it that a user's has.
        const QPoint at = tree->visualItemRect(weapon).center();
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        emit tree->itemActivated(male, 0);
        emit tree->itemActivated(FindItem(tree, {"players"}), 0);
        const QString prefix = QString::fromStdString(path) + QLatin1Char(':');
        QCOMPARE(activated, QStringList({prefix + "players/male/weapon.md2", prefix + "players/male/tris.md2"}));

        // A picture becomes a scene texture, once.
        emit tree->itemActivated(FindItem(tree, {"env", "unit1_rt"}), 0);
        QCOMPARE(sheet.s.scene.Textures().size(), size_t{1});
        const COGLTexture2D* sky = sheet.s.scene.TextureAt(0);
        QCOMPARE(sky->Pak(), sheet.s.scene.PakAt(0));
        QCOMPARE(sky->Path(), std::string("env/unit1_rt.tga"));
        QCOMPARE(sheet.fixture.host.statusText, std::string("Added unit1_rt to the scene's textures."));
        QCOMPARE(sheet.Find<QListWidget>("textures")->count(), 1);
        QCOMPARE(sheet.changes, 1);
        emit tree->itemActivated(FindItem(tree, {"env", "unit1_rt"}), 0);
        QCOMPARE(sheet.s.scene.Textures().size(), size_t{1});
        QCOMPARE(sheet.fixture.host.statusText, std::string("unit1_rt is already one of the scene's textures."));
        QCOMPARE(sheet.changes, 1);
        QCOMPARE(activated.size(), 2);

        // A picture that does not decode adds nothing and says so.
        emit tree->itemActivated(FindItem(tree, {"textures", "e1u1", "broken"}), 0);
        QCOMPARE(sheet.s.scene.Textures().size(), size_t{1});
        QCOMPARE(sheet.fixture.host.statusText, std::string("Could not load the texture textures/e1u1/broken.wal."));

        // An archive with nothing listed shows the page's own text; back again, the tree.
        auto* paks = sheet.Find<QComboBox>("paks");
        QCOMPARE(paks->count(), 2);
        QCOMPARE(paks->itemText(1), QString("sounds.pak"));
        paks->setCurrentIndex(1);
        QVERIFY(!tree->isVisibleTo(&sheet.panel));
        QCOMPARE(placeholder->text(), QString("sounds.pak holds nothing that can be put into a scene."));
        paks->setCurrentIndex(0);
        QVERIFY(tree->isVisibleTo(&sheet.panel));

        // A refresh keeps the tree it has rather than building it again.
        const std::size_t builds = sheet.fixture.host.progressTexts.size();
        sheet.panel.Refresh();
        QCOMPARE(sheet.fixture.host.progressTexts.size(), builds);
        QVERIFY(FindItem(tree, {"models", "items", "ammo"}) != nullptr);
        sheet.s.scene.Clear();
    }

    // An archive names its entries in Windows letters ("\xFC" a u with two dots): the
    // tree shows the letters, and the entry chosen is found by its own bytes.
    void pakEntriesShowTheirLettersAndOpen() {
        Sheet sheet;
        auto gl = MakeContext();
        QVERIFY(gl != nullptr);
        const std::string entry = "textures/k\xFC" "che/T\xFC" "r.tga";
        fixtures::PakBuilder pak;
        pak.Add(entry, TgaPicture());
        QCOMPARE(sheet.s.scene.AddPak(WriteBytes(sheet.fixture.Path("pak0.pak"), pak.Build())), 0);
        sheet.panel.ShowPak(0);
        QTreeWidget* tree = sheet.panel.Paks().Tree();
        QTreeWidgetItem* door = FindItem(tree, {"textures", "k\u00FC" "che", "T\u00FC" "r"});
        QVERIFY(door != nullptr);
        QCOMPARE(door->toolTip(0), QStringLiteral("textures/k\u00FC" "che/T\u00FC" "r.tga"));
        emit tree->itemActivated(door, 0);
        QCOMPARE(sheet.s.scene.Textures().size(), std::size_t{1});
        QCOMPARE(sheet.s.scene.TextureAt(0)->Path(), entry);
        QVERIFY(sheet.Find<QListWidget>("textures")->item(0)->text().startsWith(QStringLiteral("T\u00FC" "r")));
        QCOMPARE(QString::fromStdString(sheet.fixture.host.statusText),
                 QStringLiteral("Added T\u00FC" "r to the scene's textures."));
        sheet.s.scene.Clear();
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ScenePropertiesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ScenePropertiesTest.moc"
