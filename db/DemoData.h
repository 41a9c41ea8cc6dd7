// A small demo shop so a new user can try every function: stores, categories, units,
// departments, suppliers, clients, staff, about fifty products and some received stock.
#pragma once

namespace db {

class Connection;

namespace DemoData {
// Adds the demo rows once; a database that already has products is left alone.
void install(Connection& connection);
}

}  // namespace db
