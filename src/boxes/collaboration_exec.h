#pragma once

#include <string>

// Collaboration's private statement runner, shared by its status and error operations.
namespace velmora::boxes {

// Executes `sql` on a new connection that is closed on every path. Reported as
// "Velmora.Collaboration.ExecQuery" with the statement as additional information.
void ExecQuery(const std::string& sql);

}  // namespace velmora::boxes
