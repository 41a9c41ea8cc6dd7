// Writing the rows of a query to a CSV file that spreadsheet programs open directly:
// UTF-8 with a byte-order mark, CRLF line ends, fields quoted where needed.
#pragma once

#include "query/ConditionBuilder.h"
#include "query/QueryItem.h"

class QIODevice;
namespace db { class Connection; }

namespace query {

// One CSV field: quoted when it holds a comma, quote or line break; text that a spreadsheet
// would run as a formula (=, +, -, @ first) is kept as text with a leading apostrophe.
QString csvField(const QString& text, bool isText);

// Writes the title row and every row of `sql` (read forward, one row at a time) in the
// given columns, as the grid shows them. Returns the number of rows written.
// Throws db::Error when the statement fails; a write error shows in out (QFileDevice::error()).
qint64 exportCsv(db::Connection& connection, const QString& sql, const BoundValues& values,
                 const QueryItems& columns, QIODevice& out);

}  // namespace query
