#pragma once

#include <cstdint>

namespace velmora {

// The state of one recipient's publication of a document (column PUBLICATION.STATUS). Each live
// state has one removed partner: NEW -> NEWDEL, ACC -> ACCDEL, REJECTED -> REJECTEDDEL,
// VIEWED -> VIEWEDDEL, DOWNLOADED -> DOWNLOADEDDEL. Lists of current recipients and inbox
// documents leave out the removed states ("PUBLICATION.STATUS NOT IN (2,3,7,8,9)"); accepted
// means ACC or ACCDEL.
enum class PUBLICATIONSTATUS : int32_t {
  PUBLICATIONUNKNOWNSTATUS = -1,
  PUBLICATIONNEW = 0,
  PUBLICATIONACC = 1,
  PUBLICATIONNEWDEL = 2,
  PUBLICATIONACCDEL = 3,
  PUBLICATIONREJECTED = 4,
  PUBLICATIONVIEWED = 5,
  PUBLICATIONDOWNLOADED = 6,
  PUBLICATIONREJECTEDDEL = 7,
  PUBLICATIONVIEWEDDEL = 8,
  PUBLICATIONDOWNLOADEDDEL = 9,
};

}  // namespace velmora
