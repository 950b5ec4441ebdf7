#pragma once

#include <cstdint>

// The transitions of a recipient's publication status (PUBLICATIONSTATUS), kept apart from the
// database so that every pair can be checked.
namespace velmora::boxes {

// The status a publication holding `current` (-1 when there is no publication, any other
// number as stored) takes when `requested` (0 ... 9) is asked for:
// - new (0), viewed (5) and downloaded (6) are requests that never overwrite a later state:
//   from viewed or downloaded a request of 0 or 5 keeps the current status; from accepted,
//   rejected or any deleted status a request of 0, 5 or 6 keeps it; every other request is
//   taken;
// - a deleted request (2, 3, 7, 8, 9) on a live status gives that status's deleted twin
//   (0->2, 1->3, 4->7, 5->8, 6->9); on a deleted, missing or unknown status it is taken as
//   asked.
int32_t NextPublicationStatus(int32_t current, int32_t requested);

// Whether `status` is one of the deleted statuses 2, 3, 7, 8, 9.
bool IsDeletedPublicationStatus(int32_t status);

}  // namespace velmora::boxes
