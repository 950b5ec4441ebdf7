#pragma once

// PUBLICATIONSTATUS belongs to the runtime floor, where the SQL texts that filter on it are
// built (core/sql_fragments.h); its published place is this header.
#include "velmora/core/publication_status.h"
