#pragma once
// Room choice and the room assignment of one day. Rooms are given after the
// hours of a day are settled: teachers' attached rooms first, then rooms
// chosen group by group, rooms of strictly specialised subjects before all
// others, preferred rooms before the rest.
#include <cstdint>

#include "core/common/catalogue.h"
#include "core/variant/table_var.h"

namespace korvant {

// The best room for one group at (day, hour), or -1.
// preferred: the klass's attached room (-1 none); second: the room last
// given to the same teacher (-1 none); specialization: the subject's specialization
// (0 none); subject: index of the subject (-1 none). Listed candidates are
// preferred, second, every room of specialization, then the subject's wished rooms;
// listedOnly tries nothing else. strict with a specialization accepts only rooms of
// exactly that specialization. A room is accepted when it is open at the slot, not
// strictly reserved for another specialization, big enough and free in the
// variant's room grid; of the accepted rooms the one with most free hours
// later in the day wins, the earlier candidate on equal scores.
int ChooseRoom(const TTableVarItem& var, int day, int preferred, uint8_t specialization, uint16_t seats, int second,
               int hour, int subject, bool listedOnly, bool strict);

// How the day's room assignment ended.
enum TSetRoomsResult : int {
  // Nothing changed: no model or day, or the user declined a partial
  // assignment when rooms are short.
  kSetRoomsNotRun = 0,
  // Every step ran; the variant changed (mark it modified, repaint).
  kSetRoomsDone = 1,
  // The user stopped at a question; the rooms given so far are kept
  // (mark it modified, repaint).
  kSetRoomsStopped = 2,
};

// Gives rooms to the fair copy of day: asks before a partial assignment
// when some hour needs more rooms than are open (10192), empties the day's
// rooms, gives teachers their attached rooms (10193 when one is taken),
// then chooses rooms for strictly specialised subjects and then for all
// (10195 / 10194 when none is found). Questions go to the installed
// prompt with owner.
int SetDayRooms(TTableVarItem& var, int day, PromptOwner owner = nullptr);

}  // namespace korvant
