#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The company record of this invoicing point (first row of baseinfo by id).
struct TBaseInfo {
    QString corpName;
    QString corpAdd;
    QString corpTel;
    QString corpTaxID;
    QString corpBank;
    QString corpAcount;
    QString ManageTaxID;
    QString OperMan;
    QString kpdName;
    QString flag;  // "是" head invoicing point, "否" branch
};

// One car model with its maker and origin (a row of SCCJ).
struct TCPXH {
    int id = 0;
    QString cpxh;
    QString sccj;
    QString cd;
};

// The model list: entries in SCCJ id order; an entry's text is its cpxh.
using TModelList = QList<TCPXH>;

// The current invoice of this invoicing point.
struct TCurFPInfo {
    QString fpdm;
    QString fphmq;
    QString fphmz;
    QString dqhm;
    qint32 syfs = 0;  // copies left over all rolls of the point
};

// Value codes stored in the tables.
namespace InvoiceState {
inline const QString Normal = QStringLiteral("0");
inline const QString Voided = QStringLiteral("1");
inline const QString Negative = QStringLiteral("2");
inline const QString HandedBack = QStringLiteral("3");
inline const QString Lost = QStringLiteral("4");
}  // namespace InvoiceState

namespace RollState {
inline const QString Received = QStringLiteral("000");
inline const QString InUse = QStringLiteral("101");
}  // namespace RollState

namespace InvoicingPointKind {
inline const QString Head = QStringLiteral("是");
inline const QString Branch = QStringLiteral("否");
}  // namespace InvoicingPointKind

inline const QString kInitialPassword = QStringLiteral("740291");
