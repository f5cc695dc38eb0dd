#include <QAbstractSlider>
#include <QComboBox>
#include <QDial>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>

#include "ShellTestSupport.h"
#include "models/ModelFamilies.h"
#include "models/halflife/COGLHLModel.h"
#include "render/CommandIds.h"
#include "support/StudioWriters.h"
#include "support/TestSupport.h"
#include "ui/ImageOutput.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/PropertyWindows.h"

using namespace fixtures;

namespace {
// The figure as a scientist: two body parts of three and two submodels, three
// skin families over a plain, a chrome, an additive and a masked texture, a
// wrapping head controller, a plain spine controller and a mouth, and a
// four-way blended sequence that does not loop, with two events.
StudioModelDef Scientist() {
    StudioModelDef m = MakeFigure();
    m.name = "scientist.mdl";
    StudioSubmodelDef coat = m.bodyParts[0].models[0];
    coat.name = "coat";
    StudioSubmodelDef suit = coat;
    suit.name = "suit";
    StudioSubmodelDef bare;
    bare.name = "bare";
    m.bodyParts[0] = {"body", 1, {coat, suit, bare}};
    StudioSubmodelDef bald;
    bald.name = "bald";
    StudioSubmodelDef glasses;
    glasses.name = "Glasses";
    m.bodyParts.push_back({"heads", 3, {bald, glasses}});

    for (const auto& [name, flags] : {std::pair{"chrome.bmp", 0x2}, {"light.bmp", 0x20}, {"grate.bmp", 0x40}}) {
        StudioTextureDef texture;
        texture.name = name;
        texture.flags = flags;
        m.textures.push_back(texture);
    }
    m.skinFamilies = {{0}, {1}, {2}};

    // Controller records 1 and 2: the spine bends with setting 1, the mouth opens a jaw.
    m.controllers.push_back({1, 0x8, -30.0f, 30.0f, 0, 1});
    m.bones[1].controller[3] = 1;
    m.controllers.push_back({2, 0x20, 0.0f, 30.0f, 0, 4});
    m.bones[2].controller[5] = 2;

    StudioSequenceDef look = m.sequences[0];
    look.label = "look";
    look.flags = 0;
    look.frames = 24;
    look.blends.assign(4, StudioBlendDef(m.bones.size()));
    look.blendType = {0x10, 0x8};
    look.blendStart = {-45.0f, -30.0f};
    look.blendEnd = {45.0f, 30.0f};
    look.activity = 3;
    look.events = {{5, 1001, 0, "step"}, {12, 5004, 0, "shot"}};
    m.sequences.push_back(look);
    return m;
}

struct StudioShell {
    Shell shell{QSize(1200, 860)};
    TempDir dir;
    COGLHLModel* model = nullptr;

    StudioShell() {
        const std::string path = dir.Write("scientist.mdl", WriteStudioModel(Scientist()));
        if (shell.window.OpenFile(QString::fromStdString(path))) {
            model = dynamic_cast<COGLHLModel*>(shell.Scene().Selected());
        }
        shell.wiring.Properties().PropertyRefresh();
    }
    template <typename T>
    T* Find(const char* name) const {
        return shell.wiring.Properties().ObjectSheet().findChild<T*>(QString::fromLatin1(name));
    }
    EditHistory& History() { return shell.Core().Document().History(); }
};

// Pixels that differ between two pictures of one size inside `area`.
int Differing(const QImage& a, const QImage& b, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}
}  // namespace

class StudioPagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterModelClasses(); }

    // Submodels chosen by name give the body value and a typed body value chooses
    // the submodels; controllers, the mouth and the skin family move the model in
    // their own units; every edit is one undo step of a modified document.
    void theHalfLifePagePosesTheModel() {
        StudioShell s;
        QVERIFY(s.shell.exposed);
        QVERIFY(s.model != nullptr);
        auto* body = s.Find<QComboBox>("bodyPart0");
        auto* heads = s.Find<QComboBox>("bodyPart1");
        auto* value = s.Find<QSpinBox>("body");
        QVERIFY(body != nullptr && heads != nullptr && value != nullptr);
        QCOMPARE(body->count(), 3);
        QCOMPARE(heads->itemText(1), QStringLiteral("Glasses"));
        QCOMPARE(value->maximum(), 5);
        const std::size_t steps = s.History().UndoCount();

        heads->setCurrentIndex(heads->findText(QStringLiteral("Glasses")));
        QCOMPARE(s.model->Body(), 3);
        QCOMPARE(value->value(), 3);
        QCOMPARE(s.History().UndoCount(), steps + 1);
        QVERIFY(s.shell.Core().Document().IsModified());

        // Typed: 4 is the suit (4 mod 3) with glasses (4 / 3 mod 2).
        auto* typed = value->findChild<QLineEdit*>();
        typed->selectAll();
        QTest::keyClicks(typed, QStringLiteral("4"));
        QTest::keyClick(typed, Qt::Key_Return);
        QCOMPARE(s.model->Body(), 4);
        QCOMPARE(body->currentText(), QStringLiteral("suit"));
        QCOMPARE(heads->currentIndex(), 1);
        QCOMPARE(s.History().UndoCount(), steps + 2);

        auto* family = s.Find<QSpinBox>("skinFamily");
        QCOMPARE(family->maximum(), 2);
        family->setValue(2);
        QCOMPARE(s.model->SkinFamily(), 2);

        // The plain controller spans its range; the head's wraps a whole turn from its start.
        auto* spine = s.Find<QAbstractSlider>("controller1");
        auto* head = s.Find<QAbstractSlider>("controller0");
        QVERIFY(spine != nullptr && head != nullptr);
        spine->setValue(spine->minimum() + (spine->maximum() - spine->minimum()) * 3 / 4);
        QCOMPARE(s.model->Controller(1), 15.0f);
        QVERIFY(qobject_cast<QDial*>(head) != nullptr && qobject_cast<QDial*>(head)->wrapping());
        head->setValue((head->maximum() + 1) / 4);
        QCOMPARE(s.model->Controller(0), -90.0f);
        auto* mouth = s.Find<QAbstractSlider>("mouth");
        mouth->setValue(mouth->maximum() / 2);
        QCOMPARE(s.model->Mouth(), 15.0f);
        QCOMPARE(s.History().UndoCount(), steps + 6);

        // Undone, the pose and the page go back a step at a time.
        QVERIFY(s.shell.Core().Document().Undo());
        QCOMPARE(s.model->Mouth(), 0.0f);
        QVERIFY(s.shell.Core().Document().Undo());
        QVERIFY(s.shell.Core().Document().Undo());
        QCOMPARE(s.model->Controller(1), 0.0f);
        QVERIFY(s.shell.Core().Document().Undo());
        QCOMPARE(s.model->SkinFamily(), 0);
        QVERIFY(s.shell.Core().Document().Undo());
        s.shell.wiring.Properties().PropertyRefresh();
        QCOMPARE(s.model->Body(), 3);
        QCOMPARE(body->currentText(), QStringLiteral("coat"));
        QCOMPARE(value->value(), 3);
    }

    // The Animation page lists the sequences as the game sees them with their
    // events, marks the event the playback passes, and blends the current one;
    // the textures show their sizes and flags.
    void theSequencesShowTheirEventsAndTheTexturesTheirFlags() {
        StudioShell s;
        QVERIFY(s.model != nullptr);
        auto* sequences = s.Find<QTreeWidget>("sequences");
        QVERIFY(sequences != nullptr);
        QCOMPARE(sequences->topLevelItemCount(), 4);
        const QTreeWidgetItem* idle = sequences->topLevelItem(0);
        QCOMPARE(idle->text(0), QStringLiteral("idle"));
        QCOMPARE(idle->text(3), QStringLiteral("yes"));
        QTreeWidgetItem* look = sequences->topLevelItem(3);
        QCOMPARE(QStringList({look->text(0), look->text(1), look->text(2), look->text(3), look->text(4)}),
                 QStringList({"look", "24", "30.0", "no", "3"}));
        QCOMPARE(look->childCount(), 2);
        QTreeWidgetItem* shot = look->child(1);
        QCOMPARE(QStringList({shot->text(0), shot->text(1), shot->text(5)}), QStringList({"Event 5004", "12", "shot"}));

        // Four blends: two sliders, each through its own range.
        auto* blend1 = s.Find<QAbstractSlider>("blend1");
        QVERIFY(blend1 != nullptr);
        QVERIFY(blend1->parentWidget()->isHidden());
        sequences->setCurrentItem(look);
        QCOMPARE(s.model->Studio()->Sequence(), 3);
        QVERIFY(!blend1->parentWidget()->isHidden());
        blend1->setValue(blend1->maximum() / 4);
        QCOMPARE(s.model->Blend(1), -15.0f);

        // Playing through frame 12 marks its event.
        s.model->Play();
        s.model->SetFrame(10);
        s.shell.wiring.Properties().RefreshAnimation();
        s.model->SetFrame(13);
        s.shell.wiring.Properties().RefreshAnimation();
        QCOMPARE(QString::fromStdString(s.shell.fixture.host.statusText), QStringLiteral("event 5004 at frame 12"));
        QVERIFY(shot->background(0).style() != Qt::NoBrush);
        QVERIFY(look->child(0)->background(0).style() == Qt::NoBrush);

        auto* textures = s.Find<QTreeWidget>("studioTextures");
        QVERIFY(textures != nullptr);
        QCOMPARE(textures->topLevelItemCount(), 4);
        QCOMPARE(textures->topLevelItem(0)->text(1), QStringLiteral("64 \u00D7 64"));
        QCOMPARE(textures->topLevelItem(0)->text(2), QString());
        QCOMPARE(textures->topLevelItem(1)->text(2), QStringLiteral("chrome"));
        QCOMPARE(textures->topLevelItem(2)->text(2), QStringLiteral("additive"));
        QCOMPARE(textures->topLevelItem(3)->text(2), QStringLiteral("masked"));
    }

    // The bones show over the model in every pane, but not in a saved picture
    // unless it is asked for.
    void theOverlaysShowInEveryPaneButNotInPictures() {
        StudioShell s;
        QVERIFY(s.shell.exposed);
        QVERIFY(s.model != nullptr);
        QAction* bones = s.shell.window.Action(cmd::kShowBones);
        QVERIFY(bones->isCheckable() && !bones->isChecked());
        s.shell.window.Action(cmd::kFourViewports)->trigger();
        QApplication::processEvents();
        const QImage plain = s.shell.View().grabFramebuffer();
        bones->trigger();
        QVERIFY(bones->isChecked());
        const QImage skeleton = s.shell.View().grabFramebuffer();
        QCOMPARE(skeleton.size(), plain.size());
        const int w = plain.width() / 2;
        const int h = plain.height() / 2;
        for (const QRect& pane : {QRect(0, 0, w, h), QRect(w, 0, w, h), QRect(0, h, w, h), QRect(w, h, w, h)}) {
            QVERIFY2(Differing(plain, skeleton, pane) > 20, qPrintable(QString::number(pane.x())));
        }

        // Somewhere over the model the pointer comes near enough a joint to name its bone.
        COGLView& view = s.shell.Core();
        s.shell.View().makeCurrent();
        bool named = false;
        for (int y = 0; y < view.ClientHeight() && !named; y += 6) {
            for (int x = 0; x < view.ClientWidth() && !named; x += 6) {
                view.MouseMove({MouseButton::None, x, y, 0});
                named = s.shell.fixture.host.statusText.starts_with("Bone ");
            }
        }
        QVERIFY(named);

        const auto capture = [&view] {
            if (!view.Capture(160, 120)) {
                return QImage();
            }
            return ImageFromCapture(view.Captured());
        };
        const QImage withBones = capture();
        bones->trigger();
        s.shell.View().makeCurrent();
        const QImage without = capture();
        QVERIFY(!without.isNull());
        QCOMPARE(Differing(withBones, without, without.rect()), 0);
        bones->trigger();
        s.shell.window.Action(cmd::kOverlaysInPictures)->trigger();
        s.shell.View().makeCurrent();
        QVERIFY(Differing(capture(), without, without.rect()) > 20);
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    StudioPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StudioPagesTest.moc"
