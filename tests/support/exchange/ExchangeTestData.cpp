#include "ExchangeTestData.h"

#include "exchange/RecordsetXmlWriter.h"

#include <QBuffer>
#include <QFileInfo>

QString Fixture(const QString& name) { return QStringLiteral(TALLYRA_ADO_FIXTURES "/") + name; }

bool FixturesPresent() { return QFileInfo::exists(Fixture(QStringLiteral("empty.xml"))); }

QByteArray RecordsetBytes(const TRecordset& rs)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteRecordsetXml(buffer, rs);
    return buffer.data();
}

QVariantList InvoiceValues(const QString& point, const QString& issued, const QString& number, double total)
{
    const QVariant null;
    return {issued,
            QStringLiteral("044001900111"),
            number,
            QStringLiteral("某'\"&<>贸易公司"),
            QStringLiteral("000123"),
            QStringLiteral("轿车"),
            QStringLiteral("某牌SV7180"),
            QStringLiteral("广州\t黄埔\r\n东区"),
            QStringLiteral("WAB1"),
            null,
            QStringLiteral(""),
            null,
            QStringLiteral("LSVAB2B3000000001"),
            QStringLiteral("壹"),
            0.1,
            QStringLiteral("HT01"),
            QStringLiteral("上牌"),
            null,
            QStringLiteral(""),
            -12445.0,
            0.0,
            0.0,
            QStringLiteral("RMB壹拾贰万伍仟圆伍角"),
            total,
            QStringLiteral("某汽车销售有限公司"),
            QStringLiteral("某市某路1号"),
            QStringLiteral("0571-8800000"),
            QStringLiteral("330100000000001"),
            QStringLiteral("某银行"),
            QStringLiteral("6222000000000001"),
            QStringLiteral("张三"),
            QStringLiteral("王出纳"),
            QStringLiteral("0"),
            QStringLiteral("0"),
            QStringLiteral(""),
            QStringLiteral(""),
            QStringLiteral("某汽车制造厂"),
            point};
}
