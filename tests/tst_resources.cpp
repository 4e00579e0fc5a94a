#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QRegularExpression>
#include <QResource>
#include <QTest>
#include <QtEndian>

class TestResources : public QObject
{
    Q_OBJECT

private:
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void everyPathIsThereStoredAsIntended_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("compressed");
        for (const char* icon : {"idle", "break", "paused", "warning", "check-white"})
            QTest::newRow(icon) << QStringLiteral(":/icons/%1.svg").arg(icon) << false;
        QTest::newRow("style sheet") << ":/resources/style.qss" << true;
        QTest::newRow("application icon") << ":/RespiteKeeper.ico" << true;
    }

    void everyPathIsThereStoredAsIntended()
    {
        QFETCH(QString, path);
        QFETCH(bool, compressed);
        QResource resource(path);
        QVERIFY2(resource.isValid(), qPrintable(path));
        QCOMPARE(resource.compressionAlgorithm(), compressed ? QResource::ZlibCompression : QResource::NoCompression);
        QVERIFY(!read(path).isEmpty());
    }

    void styleSheetHoldsItsRulesInOrder()
    {
        QString sheet = QString::fromUtf8(read(":/resources/style.qss"));
        sheet.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption));
        QStringList selectors;
        for (const QString& block : sheet.split('}', Qt::SkipEmptyParts)) {
            const QString selector = block.section('{', 0, 0).simplified();
            if (!selector.isEmpty())
                selectors << selector;
        }
        QCOMPARE(selectors.size(), 49);
        QCOMPARE(selectors.first(), QStringLiteral("QDialog"));
        QCOMPARE(selectors.at(10), QStringLiteral("QPushButton#m_cancelButton"));
        QCOMPARE(selectors.at(18), QStringLiteral("QSpinBox, QComboBox"));
        QCOMPARE(selectors.at(27), QStringLiteral("QCheckBox::indicator:checked"));
        QCOMPARE(selectors.at(35), QStringLiteral("BreakOverlay QLabel#countdownLabel"));
        QCOMPARE(selectors.last(), QStringLiteral("WarningDialog#shutdownWarning QLabel#countdownLabel"));
        QVERIFY(sheet.contains("image: url(:/icons/check-white.svg);"));

        // Qt itself accepts the sheet: a parse error would be a warning.
        QTest::failOnWarning(QRegularExpression(".*"));
        qApp->setStyleSheet(sheet);
        QWidget probe;
        probe.ensurePolished();
        qApp->setStyleSheet(QString());
    }

    void applicationIconIsASixteenColourWindowsIcon()
    {
        const QByteArray ico = read(":/RespiteKeeper.ico");
        QCOMPARE(ico.size(), 22 + 744);
        const auto* d = reinterpret_cast<const uchar*>(ico.constData());
        QCOMPARE(qFromLittleEndian<quint16>(d + 0), quint16(0)); // reserved
        QCOMPARE(qFromLittleEndian<quint16>(d + 2), quint16(1)); // icon
        QCOMPARE(qFromLittleEndian<quint16>(d + 4), quint16(1)); // one image
        QCOMPARE(int(d[6]), 32);
        QCOMPARE(int(d[7]), 32);
        QCOMPARE(int(d[8]), 16);
        QCOMPARE(int(d[9]), 191);
        QCOMPARE(qFromLittleEndian<quint16>(d + 10), quint16(0));
        QCOMPARE(qFromLittleEndian<quint16>(d + 12), quint16(0));
        QCOMPARE(qFromLittleEndian<quint32>(d + 14), quint32(744));
        QCOMPARE(qFromLittleEndian<quint32>(d + 18), quint32(22));
        const uchar* bmp = d + 22;
        QCOMPARE(qFromLittleEndian<quint32>(bmp + 0), quint32(40));
        QCOMPARE(qFromLittleEndian<qint32>(bmp + 4), 32);
        QCOMPARE(qFromLittleEndian<qint32>(bmp + 8), 64);
        QCOMPARE(qFromLittleEndian<quint16>(bmp + 12), quint16(1));
        QCOMPARE(qFromLittleEndian<quint16>(bmp + 14), quint16(4));
        QCOMPARE(qFromLittleEndian<quint32>(bmp + 16), quint32(0));
        QCOMPARE(qFromLittleEndian<quint32>(bmp + 20), quint32(640));
        // Palette entry 6 is teal, 15 white (blue, green, red, 0).
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bmp + 40 + 6 * 4), 4), QByteArray("\x80\x80\x00\x00", 4));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bmp + 40 + 15 * 4), 4), QByteArray("\xff\xff\xff\x00", 4));

        const QImage image = QImage::fromData(ico, "ICO");
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(image.pixelColor(0, 5).alpha(), 0); // left column
        QCOMPARE(image.pixelColor(5, 0).alpha(), 0); // top row
        QCOMPARE(image.pixelColor(31, 31).alpha(), 255);
        QCOMPARE(image.pixelColor(31, 31), QColor(Qt::white));   // the white square
        QCOMPARE(image.pixelColor(10, 16), QColor(0, 128, 128)); // the teal disc
        QCOMPARE(image.pixelColor(12, 14), QColor(Qt::white));   // the initial
        QVERIFY(!QIcon(":/RespiteKeeper.ico").isNull());
    }

    void stateIconsShowTheirColourInTheMiddle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("working") << "idle" << QColor("#2e7d32");
        QTest::newRow("on a break") << "break" << QColor("#0078d4");
        QTest::newRow("paused") << "paused" << QColor("#757575");
        QTest::newRow("warning") << "warning" << QColor("#e67e22");
    }

    void stateIconsShowTheirColourInTheMiddle()
    {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        const QImage image = QIcon(QStringLiteral(":/icons/%1.svg").arg(name)).pixmap(64, 64).toImage();
        QCOMPARE(image.size(), QSize(64, 64));
        // Inside the circle, clear of the glyph: the fill colour; outside it: nothing.
        QCOMPARE(image.pixelColor(32, 10), colour);
        QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    }

    void checkMarkIsWhiteOnSixteenPixels()
    {
        const QImage image = QIcon(":/icons/check-white.svg").pixmap(16, 16).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        int opaqueWhite = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaqueWhite += image.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY(opaqueWhite >= 10);
        QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
