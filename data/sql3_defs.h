// The data access layer over SQLite: connection, string table, record sets and helpers.
#pragma once

#include "db_types.h"
#include "sql_text.h"
#include "database.h"
#include "simple_table.h"
#include "record_set.h"
#include "command.h"
#include "query.h"
