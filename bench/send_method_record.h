#pragma once

#include <string>

#include "velmora/delivery/send_method.h"

namespace velmora::bench {

// The send method the benchmarks deliver by: `protocol` to `address`, pushed automatically,
// the XML form written as "order.xml" without suffix, in ASCII, binary for FTP, default ports.
inline TSendMethodProperties OrderSendMethod(ESendMethodProtocol protocol,
                                             const std::string& address) {
  TSendMethodProperties record;
  record.bAutoPush = true;
  record.nProtocol = protocol;
  record.nFormat = ESendMethodFormat::XML;
  record.sAddress = address;
  record.sFileName = "order";
  record.sFileExtension = "xml";
  record.nSuffix = ESendMethodSuffix::None;
  record.nFileFormat = ESendMethodFileFormat::ASCII;
  record.nFTPTransferType = ESendMethodFTPTransferType::Binary;
  record.lPort = -1;
  record.lProxyPort = -1;
  return record;
}

}  // namespace velmora::bench
