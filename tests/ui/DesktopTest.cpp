#include <QDir>
#include <QFile>

#include <vector>

#include "ShellTestSupport.h"
#include "render/CommandIds.h"
#include "ui/AboutDialog.h"
#include "ui/Desktop.h"
#include "ui/GLWidget.h"
#include "ui/MainWindow.h"

namespace {
// Plays xdg-mime: answers the query with `current` (nullopt: it cannot run) and
// records every call.
struct FakeXdgMime {
    explicit FakeXdgMime(std::optional<QString> answer, bool failToSet = false)
        : current(std::move(answer)), setFails(failToSet) {}

    std::optional<QString> current;
    bool setFails;
    std::vector<QStringList> calls;

    XdgMimeRunner Runner() {
        return [this](const QStringList& arguments) -> std::optional<QString> {
            calls.push_back(arguments);
            if (arguments.value(0) == QStringLiteral("query")) {
                return current;
            }
            return setFails ? std::nullopt : std::optional<QString>(QString());
        };
    }
};

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<html></html>");
}
}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void sceneFilesAreClaimedOnlyWhenNobodyHasThem() {
        const QStringList query{"query", "default", "application/x-marovin-scene"};
        FakeXdgMime unclaimed{QStringLiteral("\n")};
        QVERIFY(RegisterSceneFileType(unclaimed.Runner()));
        QCOMPARE(unclaimed.calls.size(), size_t{2});
        QCOMPARE(unclaimed.calls[0], query);
        QCOMPARE(unclaimed.calls[1], QStringList({"default", "marovin.desktop", "application/x-marovin-scene"}));

        FakeXdgMime other{QStringLiteral("otherviewer.desktop\n")};
        QVERIFY(!RegisterSceneFileType(other.Runner()));
        QCOMPARE(other.calls.size(), size_t{1});

        FakeXdgMime ours{QStringLiteral("marovin.desktop\n")};
        QVERIFY(!RegisterSceneFileType(ours.Runner()));
        QCOMPARE(ours.calls.size(), size_t{1});

        // Failures are silent: no xdg-mime, or one that cannot write.
        FakeXdgMime missing{std::nullopt};
        QVERIFY(!RegisterSceneFileType(missing.Runner()));
        QCOMPARE(missing.calls.size(), size_t{1});
        FakeXdgMime readOnly{QString(), true};
        QVERIFY(!RegisterSceneFileType(readOnly.Runner()));
    }

    void userGuideIsFoundInstalledOrInTheSources() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QString installed = prefix.filePath(QStringLiteral("share/doc/marovin/index.html"));
        Touch(installed);
        QCOMPARE(FindUserGuide(bin), QFileInfo(installed).canonicalFilePath());

        // Run from a build tree the guide of the sources serves.
        QTemporaryDir empty;
        const QString found = FindUserGuide(empty.path());
        QVERIFY(found.endsWith(QStringLiteral("docs/guide/index.html")));
        QFile guide(found);
        QVERIFY(guide.open(QIODevice::ReadOnly));
        const QByteArray html = guide.readAll();
        for (const char* section : {"Getting started", "The mouse tools", "The tool windows", "File formats"}) {
            QVERIFY2(html.contains(section), section);
        }
    }

    void helpAndWebPageOpenOrSayWhyNot() {
        ShellFixture fixture;
        MainWindow window;
        fixture.TakeMessages();
        std::vector<QUrl> opened;
        bool succeed = true;
        window.openUrl = [&](const QUrl& url) {
            opened.push_back(url);
            return succeed;
        };
        window.RunCommand(cmd::kHelpContents);
        window.RunCommand(cmd::kOnTheWeb);
        QCOMPARE(opened.size(), size_t{2});
        QVERIFY(opened[0].isLocalFile());
        QVERIFY(opened[0].toLocalFile().endsWith(QStringLiteral("index.html")));
        QCOMPARE(opened[1], ProjectPage());
        QCOMPARE(opened[1].scheme(), QString("https"));
        QVERIFY(fixture.host.messages.empty());

        succeed = false;
        window.RunCommand(cmd::kHelpContents);
        window.RunCommand(cmd::kOnTheWeb);
        QCOMPARE(fixture.host.messages.size(), size_t{2});
        QCOMPARE(fixture.host.messages[0].text, std::string("Could not find/execute the help file (duv.chm)."));
        QCOMPARE(fixture.host.messages[1].text, std::string("Could not open the link to the DUV Web Page."));
    }

    void aboutShowsTheDriverStrings() {
        ShellFixture fixture;
        MainWindow window;
        window.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString driver;
        window.execDialog = [&driver](QDialog& dialog) {
            if (auto* about = qobject_cast<AboutDialog*>(&dialog)) {
                driver = about->DriverText();
            }
            return static_cast<int>(QDialog::Accepted);
        };
        window.RunCommand(cmd::kAbout);
        const QStringList lines = driver.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(QStringLiteral("Version:\t\t")) && lines[0].size() > 10);
        QVERIFY(lines[1].startsWith(QStringLiteral("Vendor:\t\t")));
        QVERIFY(lines[2].startsWith(QStringLiteral("Renderer:\t")));
        QVERIFY(lines[3].isEmpty());
    }
};

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLWidget::RequiredFormat());
    QApplication app(argc, argv);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopTest.moc"
