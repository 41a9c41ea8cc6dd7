// Process-wide session values: who is logged in, the using unit, the number just issued.
// Never written to disk; lost when the process ends.
#pragma once

#include <QString>

struct Session {
    QString OperatorNo;
    QString OperatorName;
    QString OperatorPassword;  // as typed at login, never the stored hash
    QString OperatorPost;
    QString ShopName;
    QString ShopTel;
    QString ShopNote;
    QString SerialType;
    QString LastSerialNo;
};

Session& session();
