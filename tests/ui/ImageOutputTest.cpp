#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "ShellTestSupport.h"
#include "render/CommandIds.h"
#include "render/COGLView.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/AnimationDialog.h"
#include "ui/GLWidget.h"
#include "ui/ImageOutput.h"
#include "ui/MainWindow.h"
#include "ui/QualityDialog.h"

namespace {
constexpr int kAccepted = QDialog::Accepted;
constexpr int kRejected = QDialog::Rejected;

// A picture whose corners tell which way up and round it was written.
QImage Marked(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 80, 160));
    image.setPixelColor(0, 0, Qt::red);
    image.setPixelColor(width - 1, height - 1, Qt::green);
    return image;
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}
}  // namespace

class ImageOutputTest : public QObject {
    Q_OBJECT
private slots:
    void formatsByExtensionAndQuality() {
        QCOMPARE(ImageFormatForPath("/tmp/a.bmp"), std::optional(ImageFormat::Bmp));
        QCOMPARE(ImageFormatForPath("/tmp/a.JPG"), std::optional(ImageFormat::Jpeg));
        QCOMPARE(ImageFormatForPath("/tmp/a.Png"), std::optional(ImageFormat::Png));
        QVERIFY(!ImageFormatForPath("/tmp/a.gif"));
        QVERIFY(!ImageFormatForPath("/tmp/bmp"));
        QCOMPARE(SaveImageFilters(), QStringList({"Bitmap Files (*.bmp)", "JPEG Files (*.jpg)", "PNG Files (*.png)"}));
        QCOMPARE(JpegQualityForIndex(-3), 20);
        QCOMPARE(JpegQualityForIndex(1), 40);
        QCOMPARE(JpegQualityForIndex(2), 70);
        QCOMPARE(JpegQualityForIndex(9), 99);
        QualityDialog dialog;
        QCOMPARE(dialog.Index(), 1);
    }

    void writtenPicturesReadBack() {
        QTemporaryDir dir;
        const QImage picture = Marked(64, 48);
        for (const auto& [name, format, tolerance] :
             {std::tuple{"a.bmp", ImageFormat::Bmp, 0}, {"a.png", ImageFormat::Png, 0}, {"a.jpg", ImageFormat::Jpeg, 40}}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QVERIFY(WriteImage(CaptureFromImage(picture), path.toStdString(), format, 3));
            QImageReader reader(path);
            QCOMPARE(reader.format(), QByteArray(format == ImageFormat::Bmp   ? "bmp"
                                                 : format == ImageFormat::Png ? "png"
                                                                              : "jpeg"));
            const QImage back = reader.read();
            QCOMPARE(back.size(), picture.size());
            QVERIFY2(Near(back.pixelColor(32, 24), QColor(40, 80, 160), tolerance), name);
            if (tolerance == 0) {
                QCOMPARE(back.pixelColor(0, 0), QColor(Qt::red));
                QCOMPARE(back.pixelColor(63, 47), QColor(Qt::green));
            }
        }
        // The capture layout (bottom-up BGR) turns back into the same picture.
        QCOMPARE(ImageFromCapture(CaptureFromImage(picture)), picture);
        QVERIFY(ImageFromCapture(CapturedImage{}).isNull());
        // A failed write leaves the old file as it was.
        const QString kept = dir.filePath("a.png");
        const qint64 size = QFileInfo(kept).size();
        QVERIFY(!WriteImage(CaptureFromImage(QImage()), kept.toStdString(), ImageFormat::Png, 1));
        QCOMPARE(QFileInfo(kept).size(), size);
        QVERIFY(!WriteImage(CaptureFromImage(picture), dir.filePath("missing/dir/a.png").toStdString(),
                            ImageFormat::Png, 1));
    }

    void unsupportedExtensionIsRefused() {
        ShellFixture fixture;
        MainWindow window;
        fixture.TakeMessages();
        int captures = 0;
        window.Hooks().saveImage = [&captures](const QString&, ImageFormat, int) { return ++captures > 0; };
        QStringList filters;
        window.execDialog = [&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (files == nullptr) {
                return kRejected;
            }
            filters = files->nameFilters();
            files->selectFile(fixture.Path(QStringLiteral("shot.gif")));
            return kAccepted;
        };
        window.RunCommand(cmd::kSaveImage);
        QCOMPARE(filters, SaveImageFilters());
        QVERIFY(fixture.host.HasMessage("The file extension that you entered is not supported."));
        QCOMPARE(captures, 0);
    }

    // Cancelling the quality choice goes back to the file dialog; the second time it is accepted.
    void jpegQualityCancelReopensTheFileDialog() {
        ShellFixture fixture;
        MainWindow window;
        fixture.TakeMessages();
        QString savedPath;
        int savedQuality = -1;
        window.Hooks().saveImage = [&](const QString& path, ImageFormat format, int quality) {
            savedPath = format == ImageFormat::Jpeg ? path : QString();
            savedQuality = quality;
            return true;
        };
        QStringList asked;
        window.execDialog = [&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                asked << QStringLiteral("file");
                files->selectFile(fixture.Path(QStringLiteral("shot.JPG")));
                return kAccepted;
            }
            if (auto* quality = qobject_cast<QualityDialog*>(&dialog)) {
                asked << QStringLiteral("quality");
                if (asked.size() < 4) {
                    return kRejected;
                }
                quality->SetIndex(3);
                return kAccepted;
            }
            return kRejected;
        };
        window.RunCommand(cmd::kSaveImage);
        QCOMPARE(asked, QStringList({"file", "quality", "file", "quality"}));
        QCOMPARE(savedPath, fixture.Path(QStringLiteral("shot.JPG")));
        QCOMPARE(savedQuality, 3);
        QCOMPARE(window.State().jpegQualityIndex, 3);

        // Cancelling the file dialog ends the command.
        asked.clear();
        savedPath.clear();
        window.execDialog = [&](QDialog&) {
            asked << QStringLiteral("any");
            return kRejected;
        };
        window.RunCommand(cmd::kSaveImage);
        QCOMPARE(asked.size(), 1);
        QVERIFY(savedPath.isEmpty());
        QVERIFY(fixture.host.messages.empty());
    }

    // Without a core hook the view's own frame is written, with BMP as the default type.
    void savesTheViewsPictureAsBmpByDefault() {
        ShellFixture fixture;
        MainWindow window;
        window.View()->Core().Scene()->SetBackgroundColor(0.75f, 0.75f, 0.75f);
        window.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        fixture.TakeMessages();
        window.execDialog = [&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (files == nullptr) {
                return kRejected;
            }
            files->selectFile(fixture.Path(QStringLiteral("view")));
            return kAccepted;
        };
        window.RunCommand(cmd::kSaveImage);
        const QImage saved(fixture.Path(QStringLiteral("view.bmp")));
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), window.View()->grabFramebuffer().size());
        QVERIFY(Near(saved.pixelColor(saved.width() / 2, saved.height() / 2), QColor(191, 191, 191), 1));
        QVERIFY(fixture.host.messages.empty());
    }

    void printedSizeFollowsTheResolutions() {
        QCOMPARE(PrintedRect(QSize(800, 600), 600, 300, 96, 96), QRect(0, 0, 5000, 1875));
        QCOMPARE(PrintedRect(QSize(800, 600), 96, 96, 96, 96), QRect(0, 0, 800, 600));
        // Larger than the page: shrunk to fit with its proportions.
        QCOMPARE(PrintedRect(QSize(800, 600), 600, 600, 96, 96, QSize(4000, 6000)), QRect(0, 0, 4000, 3000));
        QCOMPARE(PrintedRect(QSize(800, 600), 600, 600, 96, 96, QSize(6000, 6000)), QRect(0, 0, 5000, 3750));
    }

    void printsTheCaptureThroughThePrintDialog() {
        ShellFixture fixture;
        MainWindow window;
        int captures = 0;
        window.Hooks().capturePicture = [&captures] {
            ++captures;
            return Marked(320, 240);
        };
        const QString pdf = fixture.Path(QStringLiteral("page.pdf"));
        window.execDialog = [&pdf](QDialog& dialog) {
            auto* print = qobject_cast<QPrintDialog*>(&dialog);
            if (print == nullptr) {
                return kRejected;
            }
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
            return kAccepted;
        };
        window.RunCommand(cmd::kPrint);
        QCOMPARE(captures, 1);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QVERIFY(file.size() > 1000);

        // A failed capture prints nothing and asks nothing.
        window.Hooks().capturePicture = [] { return QImage(); };
        bool asked = false;
        window.execDialog = [&asked](QDialog&) {
            asked = true;
            return kRejected;
        };
        window.RunCommand(cmd::kPrintPreview);
        QVERIFY(!asked);
    }
    // File > Save Animation: the file, then the choices with their estimate (OK
    // off while they cannot be recorded); the frames read back; a recording
    // cancelled part way leaves the file that was there and nothing beside it.
    void savesATurntableAndACancelKeepsTheFileThatWasThere() {
        Shell shell;
        QVERIFY(shell.exposed);
        QVERIFY(shell.Core().AddObject(object_type::kBox));
        const QString gif = shell.fixture.Path(QStringLiteral("turn.gif"));
        AnimationChoice wanted;
        wanted.frames = 6;
        wanted.width = 64;
        wanted.height = 48;
        wanted.orbit = 2;
        QString estimate;
        bool refusedToPlay = false;
        shell.window.execDialog = [&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                files->selectFile(gif);
                return kAccepted;
            }
            auto* choices = qobject_cast<AnimationDialog*>(&dialog);
            if (choices == nullptr) {
                return kRejected;
            }
            QPushButton* ok = choices->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            AnimationChoice play = wanted;
            play.play = true;  // the box selected is no model
            choices->SetChoice(play);
            refusedToPlay = !ok->isEnabled() && choices->EstimateLabel()->text().contains(QStringLiteral("model"));
            choices->SetChoice(wanted);
            estimate = choices->EstimateLabel()->text();
            return ok->isEnabled() ? kAccepted : kRejected;
        };
        shell.window.RunCommand(cmd::kSaveAnimation);
        QVERIFY(refusedToPlay);
        QCOMPARE(estimate, QStringLiteral("6 frames of 64 x 48, 0.6 s."));
        QImageReader reader(gif);
        QVERIFY(reader.supportsAnimation());
        QCOMPARE(reader.imageCount(), 6);
        QCOMPARE(reader.size(), QSize(64, 48));
        QVERIFY(shell.fixture.host.messages.empty());

        QFile file(gif);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        wanted.frames = 200;
        shell.window.State().animation = wanted;
        shell.window.execDialog = [&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                files->selectFile(gif);
            }
            return kAccepted;
        };
        // Cancelled from its progress dialog once it is under way.
        QTimer cancel;
        cancel.setInterval(20);
        connect(&cancel, &QTimer::timeout, this, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<QProgressDialog*>(widget); progress != nullptr && progress->value() > 2) {
                    progress->cancel();
                }
            }
        });
        cancel.start();
        shell.window.RunCommand(cmd::kSaveAnimation);
        cancel.stop();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(shell.fixture.Path(QString())).entryList({QStringLiteral("turn.gif*")}, QDir::Files),
                 QStringList{QStringLiteral("turn.gif")});
        QCOMPARE(QString::fromStdString(shell.fixture.host.statusText), QStringLiteral("The animation was not saved."));
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    ImageOutputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ImageOutputTest.moc"
