// spGetProductLastDate: the last business day of a product over receiving, sales,
// returns, losses and transfers; empty when it has none.
#pragma once

#include <QString>

namespace db {

class Connection;

class ProductHistory {
public:
    explicit ProductHistory(Connection& connection) : m_connection(connection) {}
    QString lastDate(const QString& productNo);

private:
    Connection& m_connection;
};

}  // namespace db
