#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The listing of the receive style sheets (RECEIVEMETHOD) that the maintenance shows; the
// writes are those of the public class ReceiveMethod.
namespace velmora::delivery {

// A row of RECEIVEMETHOD; Null columns are nullopt.
struct ReceiveMethodRow {
  int32_t id = 0;
  std::optional<int32_t> partner;
  std::optional<std::string> doctype;
  std::optional<std::string> xsl;
};

// Every receive style sheet, by partner and document type, on a connection of its own.
std::vector<ReceiveMethodRow> ListReceiveMethods();

}  // namespace velmora::delivery
