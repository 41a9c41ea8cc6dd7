// A parameterised SQL statement: values are always bound by name, never pasted.
// The prepared query is cached on the connection and reused.
#pragma once

#include "db/Money.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace db {

class Connection;
class Transaction;

class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    Statement(Transaction& transaction, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(const QString& name, const QString& value);
    Statement& bind(const QString& name, const char* value) { return bind(name, QString::fromUtf8(value)); }
    Statement& bind(const QString& name, Money value);
    Statement& bind(const QString& name, double value);
    Statement& bind(const QString& name, int value);
    Statement& bind(const QString& name, qint64 value);
    Statement& bind(const QString& name, bool value);
    Statement& bind(const QString& name, const QDateTime& value);
    Statement& bind(const QString& name, const QDate& value);
    // Empty text binds NULL: optional references (a product's default supplier) stay valid.
    Statement& bindTextOrNull(const QString& name, const QString& value);
    Statement& bindNull(const QString& name);
    // A value carried in a QVariant (bound values kept with a statement, as a query screen
    // keeps its filter): QString, int, qint64, double, bool, QDate, QDateTime or Money; null binds NULL.
    Statement& bindValue(const QString& name, const QVariant& value);

    // Runs the statement; throws db::Error with the statement text on failure.
    Statement& exec();
    bool next();
    // Runs and returns whether a first row exists (positioned on it).
    bool first();
    int rowsAffected() const;

    QVariant value(int column) const;
    QVariant value(const QString& column) const;
    bool isNull(int column) const;
    QString text(int column) const;
    QString text(const QString& column) const;
    Money money(int column) const;
    Money money(const QString& column) const;
    double real(int column) const;
    double real(const QString& column) const;
    qint64 integer(int column) const;
    qint64 integer(const QString& column) const;
    QDateTime dateTime(int column) const;
    QDateTime dateTime(const QString& column) const;

    QSqlQuery& query() { return *m_query; }
    const QString& sql() const { return m_sql; }

private:
    int indexOf(const QString& column) const;

    Connection& m_connection;
    QString m_sql;
    QSqlQuery* m_query;
    bool m_cached;
};

}  // namespace db
