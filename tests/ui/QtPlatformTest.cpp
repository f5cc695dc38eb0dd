#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/Messages.h"
#include "ui/QtHost.h"
#include "ui/QtSettings.h"

class QtPlatformTest : public QObject {
    Q_OBJECT
private slots:
    void barSeparatedFiltersBecomeQtFilters() {
        QCOMPARE(ToQtNameFilters(filters::kPak),
                 QStringList({"Pak Files (*.pak)", "Sin Pak Files (*.sin)"}));
        const QStringList model = ToQtNameFilters(filters::kModel);
        QCOMPARE(model.size(), 4);
        QCOMPARE(model[0], QString("All Model Files (*.md2 *.mdl *.def)"));
        const QStringList texture = ToQtNameFilters(filters::kTexture);
        QCOMPARE(texture.size(), 7);
        QCOMPARE(texture[0], QString("All Texture Files (*.bmp *.pcx *.tga *.jpg *.wal *.swl)"));
        QCOMPARE(ToQtNameFilters(filters::kAll), QStringList({"All Files (*.*)"}));
    }

    void settingsPersistBySectionAndName() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("duv.ini");
        {
            QtSettings settings(ini);
            QCOMPARE(settings.GetInt("Settings", "Gamma", 100), 100);
            settings.SetInt("Settings", "Gamma", 75);
            settings.SetString("VWep", "VWepPakFile", "/games/q2/baseq2/pak0.pak");
        }
        QtSettings reopened(ini);
        QCOMPARE(reopened.GetInt("Settings", "Gamma", 100), 75);
        QCOMPARE(reopened.GetString("VWep", "VWepPakFile", ""), std::string("/games/q2/baseq2/pak0.pak"));
        reopened.Remove("Settings", "Gamma");
        QCOMPARE(reopened.GetInt("Settings", "Gamma", 100), 100);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtPlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtPlatformTest.moc"
