// The window layer's two folders: tests point both at one temporary folder; otherwise they follow
// the executable's place.
#include "app/AppLocations.h"
#include "app/WindowLayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class FileFoldersTest : public QObject {
    Q_OBJECT
private slots:
    void setAppPathPointsBothFolders() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SetAppPath(dir.path());
        QCOMPARE(AppPath(), dir.path());
        QCOMPARE(ProfileFolder(), dir.path());
        SetAppPath(QString());
    }

    void withoutOverrideTheExecutablesPlaceDecides() {
        SetAppPath(QString());
        const std::string exeDir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
        const AppLocations where = ResolveAppLocations(exeDir);
        QCOMPARE(AppPath(), QFile::decodeName(where.ResourceDir.c_str()));
        QCOMPARE(ProfileFolder(), QFile::decodeName(where.ProfileDir.c_str()));
        QVERIFY(!AppPath().isEmpty());
    }
};

QTEST_GUILESS_MAIN(FileFoldersTest)
#include "FileFolders_test.moc"
