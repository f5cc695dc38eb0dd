#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <GL/gl.h>

#include <cmath>

#include "SceneTestSupport.h"
#include "ShellTestSupport.h"
#include "media/COGLTexture2D.h"
#include "platform/Messages.h"
#include "render/HeadlessContext.h"
#include "ui/GLWidget.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/object/ObjectPage.h"

namespace {
// The sheet on a sample scene, counting the edits it reports.
struct Sheet {
    ShellFixture fixture;
    SampleScene s;
    ObjectPropertiesPanel panel;
    int changes = 0;

    Sheet() {
        fixture.TakeMessages();
        panel.SetScene(&s.scene);
        panel.onChanged = [this] { ++changes; };
    }
    void Select(COGLObject* object) {
        s.scene.SetSelectedObject(object);
        panel.Refresh();
    }
    void Select(COGLLight* light) {
        s.scene.SetSelectedLight(light);
        panel.Refresh();
    }
    template <typename T>
    T* Find(const char* name) const {
        return Child<T>(&panel, name);
    }
    QDoubleSpinBox* Axis(const char* editor, int axis) const { return Find<Vector3Editor>(editor)->Axis(axis); }
    void Click(const char* button) const { Find<QAbstractButton>(button)->click(); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& message : fixture.host.messages) {
            texts.push_back(message.text);
        }
        return texts;
    }
};

bool Near(const Vector3& a, const Vector3& b, float tolerance = 1e-3f) {
    return std::abs(a.x - b.x) < tolerance && std::abs(a.y - b.y) < tolerance && std::abs(a.z - b.z) < tolerance;
}

bool IsIdentity(const Quaternion& q) {
    return std::abs(q.x) < 1e-4f && std::abs(q.y) < 1e-4f && std::abs(q.z) < 1e-4f &&
           std::abs(std::abs(q.w) - 1.0f) < 1e-4f;
}

using Messages = std::vector<std::string>;

// A texture made from a picture file, uploaded into the current context.
std::unique_ptr<COGLTexture2D> MakeTexture(const QString& path) {
    auto texture = std::make_unique<COGLTexture2D>();
    if (!texture->SetSource(WriteBytes(path, Picture()), nullptr, 0) || !texture->Load()) {
        return nullptr;
    }
    return texture;
}

// A page for spheres only, standing in for the models' pages.
class SpherePage : public ObjectSheetPage {
public:
    SpherePage() {
        auto* button = new QPushButton(QStringLiteral("Grow"), this);
        button->setObjectName(QStringLiteral("grow"));
        (new QVBoxLayout(this))->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, this, [this] {
            if (COGLObject* object = CurrentObject()) {
                object->SetScale(2.0f, 2.0f, 2.0f);
                emit changed();
            }
        });
    }
    QString Title() const override { return QStringLiteral("Sphere Extras"); }
    bool Applies() const override {
        const COGLObject* object = CurrentObject();
        return object != nullptr && object->TypeCode() == object_type::kSphere;
    }
    void Refresh() override { shown = CurrentObject(); }
    void RefreshAnimation() override { animated = CurrentObject(); }
    COGLObject* shown = nullptr;
    COGLObject* animated = nullptr;
};
}  // namespace

class ObjectPropertiesTest : public QObject {
    Q_OBJECT
private slots:
    void showsNothingWithoutASelection() {
        Sheet sheet;
        QCOMPARE(sheet.panel.CurrentObject(), nullptr);
        QVERIFY(!sheet.panel.Tabs()->isVisibleTo(&sheet.panel));
        sheet.Axis("position", 0)->setValue(5.0);
        QCOMPARE(sheet.changes, 0);
        QVERIFY(sheet.s.box->Position() == Vector3(0.0f, 1.0f, 0.0f));
    }

    void placementEditsReachTheObject() {
        Sheet sheet;
        sheet.panel.show();
        sheet.Select(sheet.s.box);
        QCOMPARE(sheet.Find<QLineEdit>("name")->text(), QString("Crate"));
        QCOMPARE(sheet.Axis("position", 1)->value(), 1.0);

        TypeValue(sheet.Axis("position", 0), QStringLiteral("2.5"));
        QVERIFY(sheet.s.box->Position() == Vector3(2.5f, 1.0f, 0.0f));
        QCOMPARE(sheet.changes, 1);
        sheet.Axis("position", 2)->setValue(-4.0);
        QVERIFY(sheet.s.box->Position() == Vector3(2.5f, 1.0f, -4.0f));

        sheet.Axis("scale", 1)->setValue(3.0);
        QVERIFY(sheet.s.box->Scale() == Vector3(1.0f, 3.0f, 1.0f));

        auto* visible = sheet.Find<QCheckBox>("visible");
        QVERIFY(visible->isChecked());
        visible->click();
        QVERIFY(!sheet.s.box->IsVisible());
        QVERIFY((sheet.s.box->FlagsWord() & COGLObject::kFlagHidden) != 0);

        QLineEdit* name = sheet.Find<QLineEdit>("name");
        name->setText(QStringLiteral("Ammo crate"));
        emit name->editingFinished();
        QCOMPARE(sheet.s.box->Name(), std::string("Ammo crate"));

        // A floor has no height: its thin axis cannot be scaled and reads as 1.
        sheet.Select(sheet.s.floor);
        QVERIFY(sheet.Axis("scale", 0)->isEnabled());
        QVERIFY(!sheet.Axis("scale", 1)->isEnabled());
        QCOMPARE(sheet.Axis("scale", 0)->value(), 6.0);
        sheet.Axis("scale", 2)->setValue(2.0);
        QVERIFY(sheet.s.floor->GetScale() == Vector3(6.0f, 1.0f, 2.0f));
        // The box's own values did not follow it.
        QVERIFY(sheet.s.box->Position() == Vector3(2.5f, 1.0f, -4.0f));
    }

    void rotationTurnsByStepsReadsBackAndResets() {
        Sheet sheet;
        sheet.Select(sheet.s.box);
        QCOMPARE(sheet.Find<QLabel>("orientation")->text(), QString("X 0.0\u00B0   Y 0.0\u00B0   Z 0.0\u00B0"));

        // Angles about x, then the turned y, then z, as the turn buttons make them.
        sheet.s.box->RotateX(20.0f);
        sheet.s.box->RotateY(35.0f);
        sheet.s.box->RotateZ(-50.0f);
        QVERIFY(Near(OrientationAngles(*sheet.s.box), {20.0f, 35.0f, -50.0f}));

        sheet.Click("resetRotation");
        QVERIFY(IsIdentity(sheet.s.box->Orientation()));
        QCOMPARE(sheet.changes, 1);

        sheet.Find<QDoubleSpinBox>("turnStep")->setValue(30.0);
        sheet.Click("turn+X");
        sheet.Click("turn-Z");
        sheet.Click("turn-Z");
        QVERIFY(Near(OrientationAngles(*sheet.s.box), {30.0f, 0.0f, -60.0f}));
        QCOMPARE(sheet.Find<QLabel>("orientation")->text(), QString("X 30.0\u00B0   Y 0.0\u00B0   Z -60.0\u00B0"));
        sheet.Click("turn-X");
        sheet.Click("turn+Z");
        sheet.Click("turn+Z");
        QVERIFY(!IsIdentity(sheet.s.box->Orientation()));  // turns about the object's own axes do not commute
        sheet.Click("resetRotation");
        QVERIFY(IsIdentity(sheet.s.box->Orientation()));

        // With y at a quarter turn the x and z turns act about one axis: it all
        // reads as a turn about x, and Reset still finds the way back.
        sheet.s.box->RotateX(40.0f);
        sheet.s.box->RotateY(90.0f);
        QVERIFY(Near(OrientationAngles(*sheet.s.box), {40.0f, 90.0f, 0.0f}, 0.05f));
        sheet.Click("resetRotation");
        QVERIFY(IsIdentity(sheet.s.box->Orientation()));
    }

    void materialColoursKeepTheirAlpha() {
        Sheet sheet;
        sheet.Select(sheet.s.sphere);
        sheet.s.sphere->SetSpecularAlpha(0.25f);
        QString asked;
        sheet.panel.chooseColor = [&asked](const QColor& start, const QString& title) -> std::optional<QColor> {
            asked = title + QLatin1Char(' ') + start.name();
            return QColor(51, 102, 153);
        };
        sheet.Click("Specular");
        QCOMPARE(asked, QString("Specular #000000"));
        QVERIFY(sheet.s.sphere->Specular() == ColorRGBA(0.2f, 0.4f, 0.6f, 0.25f));
        QCOMPARE(sheet.Find<ColorButton>("Specular")->Color(), QColor(51, 102, 153));
        QCOMPARE(sheet.changes, 1);

        sheet.panel.chooseColor = [](const QColor&, const QString&) -> std::optional<QColor> { return std::nullopt; };
        sheet.Click("Ambient");
        QVERIFY(sheet.s.sphere->Ambient() == ColorRGBA(0.2f, 0.2f, 0.2f, 1.0f));
        QCOMPARE(sheet.changes, 1);

        // A dialog that ends with the selection gone colours nothing.
        sheet.panel.chooseColor = [&sheet](const QColor&, const QString&) -> std::optional<QColor> {
            sheet.s.scene.RemoveObject(sheet.s.sphere);
            return QColor(255, 0, 0);
        };
        sheet.Click("Diffuse");
        QCOMPARE(sheet.changes, 1);
    }

    void texturesAreChosenFromTheScene() {
        Sheet sheet;
        std::string error;
        auto gl = HeadlessContext::Create(16, 16, &error);
        QVERIFY2(gl != nullptr, error.c_str());
        sheet.Select(sheet.s.box);
        QVERIFY(!sheet.Find<QPushButton>("removeTexture")->isEnabled());
        QVERIFY(!sheet.Find<QComboBox>("environmentMode")->isEnabled());

        // Nothing to choose yet.
        sheet.Click("applyTexture");
        QCOMPARE(sheet.Messages(), Messages{"You must select a texture first."});
        QCOMPARE(sheet.s.box->Texture(), nullptr);

        COGLTexture2D* stone = sheet.s.scene.AddTexture(MakeTexture(sheet.fixture.Path("stone.bmp")));
        COGLTexture2D* moss = sheet.s.scene.AddTexture(MakeTexture(sheet.fixture.Path("moss.bmp")));
        QVERIFY(stone != nullptr && moss != nullptr);
        sheet.panel.Refresh();
        auto* choice = sheet.Find<QComboBox>("textureChoice");
        QCOMPARE(choice->count(), 2);
        QCOMPARE(choice->itemText(1), QString("moss"));
        QCOMPARE(choice->currentIndex(), -1);
        choice->setCurrentIndex(1);
        sheet.Click("applyTexture");
        QCOMPARE(sheet.s.box->Texture(), moss);
        QCOMPARE(sheet.Find<QLabel>("currentTexture")->text(), QString("moss  (8 \u00D7 8)"));
        QVERIFY(sheet.Find<QComboBox>("environmentMode")->isEnabled());

        auto* mode = sheet.Find<QComboBox>("environmentMode");
        QCOMPARE(mode->currentData().toInt(), GL_MODULATE);
        mode->setCurrentIndex(mode->findData(GL_DECAL));
        QCOMPARE(sheet.s.box->TextureEnvMode(), GL_DECAL);
        mode->setCurrentIndex(mode->findData(GL_REPLACE));
        QCOMPARE(sheet.s.box->TextureEnvMode(), GL_REPLACE);

        sheet.Axis("textureTranslation", 0)->setValue(0.5);
        sheet.Axis("textureRotation", 2)->setValue(45.0);
        sheet.Axis("textureScale", 1)->setValue(4.0);
        QVERIFY(sheet.s.box->TextureTranslation() == Vector3(0.5f, 0.0f, 0.0f));
        QVERIFY(sheet.s.box->TextureRotation() == Vector3(0.0f, 0.0f, 45.0f));
        QVERIFY(sheet.s.box->TextureScale() == Vector3(1.0f, 4.0f, 1.0f));
        sheet.Click("resetPlacement");
        QVERIFY(sheet.s.box->TextureTranslation() == Vector3());
        QVERIFY(sheet.s.box->TextureScale() == Vector3(1.0f, 1.0f, 1.0f));
        QCOMPARE(sheet.Axis("textureScale", 1)->value(), 1.0);

        // Another object shows its own texture, or none.
        sheet.Select(sheet.s.sphere);
        QCOMPARE(sheet.Find<QLabel>("currentTexture")->text(), QString("None"));
        sheet.Select(sheet.s.box);
        QCOMPARE(choice->currentIndex(), 1);
        sheet.Click("removeTexture");
        QCOMPARE(sheet.s.box->Texture(), nullptr);
        QCOMPARE(sheet.fixture.host.messages.size(), size_t{1});

        // A texture the scene no longer holds is not applied from a stale list.
        sheet.s.scene.DeleteTexture(moss);
        sheet.Click("applyTexture");
        QCOMPARE(sheet.s.box->Texture(), nullptr);
        QCOMPARE(sheet.fixture.host.messages.size(), size_t{2});
        sheet.s.scene.Clear();
    }

    void textIsCheckedBeforeItIsApplied() {
        Sheet sheet;
        sheet.Select(sheet.s.box);
        QVERIFY(!TabShown(sheet.panel.Tabs(), QStringLiteral("Text")));
        sheet.Select(sheet.s.text);
        QVERIFY(TabShown(sheet.panel.Tabs(), QStringLiteral("Text")));
        auto* text = sheet.Find<QLineEdit>("text");
        auto* font = sheet.Find<QComboBox>("font");
        QCOMPARE(text->text(), QString("Text"));
        QCOMPARE(font->currentText(), QString("Arial"));

        font->setCurrentText(QString());
        text->setText(QStringLiteral("Frag"));
        sheet.Click("applyText");
        QCOMPARE(sheet.Messages(), Messages{"You must select a Font first."});
        QCOMPARE(sheet.s.text->Text(), std::string("Text"));

        font->setCurrentText(QStringLiteral("DejaVu Sans"));
        text->clear();
        sheet.Click("applyText");
        QCOMPARE(sheet.Messages().back(), std::string("You must enter text to continue."));
        QCOMPARE(sheet.changes, 0);

        const QString longText = QStringLiteral("Welcome to the Strogg homeworld, marine");  // 39 characters
        text->setText(longText);
        sheet.Click("applyText");
        QCOMPARE(sheet.Messages().back(), std::string("Text too long, truncating."));
        QCOMPARE(sheet.s.text->Text(), longText.left(31).toStdString());
        QCOMPARE(text->text(), longText.left(31));
        QCOMPARE(sheet.s.text->FontFace(), std::string("DejaVu Sans"));
        QCOMPARE(sheet.changes, 1);

        const std::size_t said = sheet.fixture.host.messages.size();
        text->setText(longText.left(31));
        sheet.Click("applyText");
        QCOMPARE(sheet.fixture.host.messages.size(), said);

        // The scene file holds Latin-1: an accented letter is one byte and shows as typed ...
        text->setText(QString(30, QLatin1Char('a')) + QStringLiteral("\u00E9"));
        sheet.Click("applyText");
        QCOMPARE(sheet.s.text->Text(), std::string(30, 'a') + "\xE9");
        sheet.Select(sheet.s.box);
        sheet.Select(sheet.s.text);
        QCOMPARE(text->text(), QString(30, QLatin1Char('a')) + QStringLiteral("\u00E9"));

        // ... and a character outside it is refused with a note, leaving the text as it was.
        text->setText(QStringLiteral("Frag \u20AC"));
        sheet.Click("applyText");
        QCOMPARE(sheet.Messages().back(), std::string(msg::kTextNotLatin1.text));
        QCOMPARE(sheet.s.text->Text(), std::string(30, 'a') + "\xE9");
        QCOMPARE(text->text(), QString(30, QLatin1Char('a')) + QStringLiteral("\u00E9"));
        auto* name = sheet.Find<QLineEdit>("name");
        const std::string before = sheet.s.text->Name();
        name->setText(QStringLiteral("\u0416ar"));
        emit name->editingFinished();
        QCOMPARE(sheet.s.text->Name(), before);
        name->setText(QStringLiteral("Caf\u00E9"));
        emit name->editingFinished();
        QCOMPARE(sheet.s.text->Name(), std::string("Caf\xE9"));

        sheet.Click("bold");
        QVERIFY(sheet.s.text->Bold());
    }

    void lightsShowTheirOwnFields() {
        Sheet sheet;
        sheet.Select(sheet.s.point);
        QCOMPARE(sheet.panel.CurrentLight(), sheet.s.point);
        QCOMPARE(sheet.panel.CurrentObject(), nullptr);
        QVERIFY(TabShown(sheet.panel.Tabs(), QStringLiteral("Light")));
        QVERIFY(!TabShown(sheet.panel.Tabs(), QStringLiteral("Spot")));
        QVERIFY(!TabShown(sheet.panel.Tabs(), QStringLiteral("Object")));
        QVERIFY(!TabShown(sheet.panel.Tabs(), QStringLiteral("Material")));
        QCOMPARE(sheet.Find<QLabel>("lightSlot")->text(), QStringLiteral("GL_LIGHT%1").arg(sheet.s.point->Slot()));

        sheet.Axis("lightPosition", 1)->setValue(7.0);
        QVERIFY(sheet.s.point->Position() == Vector3(2.0f, 7.0f, 3.0f));
        sheet.Find<QDoubleSpinBox>("lightW")->setValue(0.0);
        QCOMPARE(sheet.s.point->W(), 0.0f);
        sheet.Find<QCheckBox>("lightEnabled")->click();
        QVERIFY(!sheet.s.point->IsEnabled());
        auto* name = sheet.Find<QLineEdit>("lightName");
        name->setText(QStringLiteral("Sun"));
        emit name->editingFinished();
        QCOMPARE(sheet.s.point->Name(), std::string("Sun"));
        sheet.panel.chooseColor = [](const QColor&, const QString&) -> std::optional<QColor> {
            return QColor(255, 204, 0);
        };
        sheet.Click("lightDiffuse");
        QVERIFY(sheet.s.point->Diffuse() == ColorRGBA(1.0f, 0.8f, 0.0f, 1.0f));
        QCOMPARE(sheet.changes, 5);

        sheet.Select(sheet.s.spot);
        QVERIFY(TabShown(sheet.panel.Tabs(), QStringLiteral("Spot")));
        QCOMPARE(sheet.Find<QLineEdit>("lightName")->text(), QString("Lamp"));
        QCOMPARE(sheet.Find<QDoubleSpinBox>("cutOff")->value(), 30.0);
        sheet.Find<QDoubleSpinBox>("cutOff")->setValue(45.0);
        sheet.Find<QDoubleSpinBox>("exponent")->setValue(8.0);
        sheet.Find<QDoubleSpinBox>("linear")->setValue(0.5);
        sheet.Find<QDoubleSpinBox>("quadratic")->setValue(0.125);
        QCOMPARE(sheet.s.spot->CutOff(), 45.0f);
        QCOMPARE(sheet.s.spot->Exponent(), 8.0f);
        QCOMPARE(sheet.s.spot->LinearAttenuation(), 0.5f);
        QCOMPARE(sheet.s.spot->QuadraticAttenuation(), 0.125f);
        QCOMPARE(sheet.s.spot->ConstantAttenuation(), 1.0f);
        // The point light kept what it had.
        QVERIFY(sheet.s.point->Position() == Vector3(2.0f, 7.0f, 3.0f));

        // Aiming turns the marker and the direction follows it: a quarter turn
        // about the marker's x axis points the beam from -z straight down.
        QVERIFY(Near(sheet.s.spot->Direction(), {0.0f, 0.0f, -1.0f}));
        sheet.Find<QDoubleSpinBox>("aimStep")->setValue(90.0);
        sheet.Click("aim+X");
        QVERIFY(Near(sheet.s.spot->Direction(), {0.0f, -1.0f, 0.0f}));
        QCOMPARE(sheet.Find<QLabel>("direction")->text(), QString("0.00, -1.00, 0.00"));
    }

    void aLightWithoutAGLLightSaysSo() {
        Sheet sheet;
        std::vector<COGLLight*> more;
        while (COGLLight::LightsInUse() < COGLLight::kMaxLights) {
            more.push_back(sheet.s.scene.AddLight(std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f)));
        }
        COGLLight* ninth = sheet.s.scene.AddLight(std::make_unique<COGLPointLight>(0.0f, 0.0f, 0.0f));
        QVERIFY(!ninth->HasGLLight());
        sheet.Select(ninth);
        QCOMPARE(sheet.Find<QLabel>("lightSlot")->text(),
                 QString("None: all eight are taken, so this light lights nothing."));
    }

    void aSelectionRemovedBehindTheSheetIsNotEdited() {
        Sheet sheet;
        sheet.Select(sheet.s.box);
        sheet.s.scene.RemoveObject(sheet.s.box);
        // No refresh yet: the editors still show the box, which is gone.
        sheet.Axis("position", 0)->setValue(9.0);
        sheet.Click("turn+Y");
        sheet.Click("resetRotation");
        QCOMPARE(sheet.changes, 0);
        sheet.panel.Refresh();
        QCOMPARE(sheet.panel.CurrentObject(), nullptr);

        // A light's marker is not an object of the list, whatever selects it.
        sheet.s.scene.SetSelectedObject(&sheet.s.point->Marker());
        sheet.panel.Refresh();
        QCOMPARE(sheet.panel.CurrentLight(), sheet.s.point);
        QCOMPARE(sheet.panel.CurrentObject(), nullptr);
    }

    void extensionPagesFollowTheObjectsTheyServe() {
        Sheet sheet;
        auto page = std::make_unique<SpherePage>();
        SpherePage* extension = page.get();
        sheet.panel.AddPage(std::move(page));
        sheet.Select(sheet.s.box);
        QVERIFY(!TabShown(sheet.panel.Tabs(), QStringLiteral("Sphere Extras")));
        QCOMPARE(extension->shown, nullptr);

        sheet.Select(sheet.s.sphere);
        QVERIFY(TabShown(sheet.panel.Tabs(), QStringLiteral("Sphere Extras")));
        QCOMPARE(extension->shown, sheet.s.sphere);
        sheet.Click("grow");
        QVERIFY(sheet.s.sphere->Scale() == Vector3(2.0f, 2.0f, 2.0f));
        QCOMPARE(sheet.changes, 1);
        sheet.panel.RefreshAnimation();
        QCOMPARE(extension->animated, sheet.s.sphere);

        // A light hides it, and animation refreshes then reach nobody.
        extension->animated = nullptr;
        sheet.Select(sheet.s.spot);
        QVERIFY(!TabShown(sheet.panel.Tabs(), QStringLiteral("Sphere Extras")));
        sheet.panel.RefreshAnimation();
        QCOMPARE(extension->animated, nullptr);
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ObjectPropertiesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ObjectPropertiesTest.moc"
