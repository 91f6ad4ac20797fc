#include "grid/rotation_memo.h"

#include <cstring>

#include "grid/orientation.h"
#include "math/float_functions.h"

// A grid of other shape may have many distinct turns: beyond this many
// the search would cost more than the sines it saves.
static const std::size_t MAX_TURNS = 64;

static uint32_t bits_of(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

static AngleTrig turn_trig(RotationMemo& memo, float psi) {
  const uint32_t bits = bits_of(psi);
  for (const AngleTrig& known : memo.turns)
    if (known.bits == bits) return known;
  AngleTrig made = {bits, cos_cr(psi), sin_cr(psi)};
  if (memo.turns.size() < MAX_TURNS) memo.turns.push_back(made);
  return made;
}

Matrix3 memo_rotation(RotationMemo& memo, const GridPoint& point) {
  const uint32_t theta = bits_of(point.euler_theta), phi = bits_of(point.euler_phi);
  if (!memo.has_direction || theta != memo.theta_bits || phi != memo.phi_bits) {
    memo.has_direction = true;
    memo.theta_bits = theta;
    memo.phi_bits = phi;
    memo.ct = cos_cr(point.euler_theta);
    memo.st = sin_cr(point.euler_theta);
    memo.cf = cos_cr(point.euler_phi);
    memo.sf = sin_cr(point.euler_phi);
  }
  const AngleTrig turn = turn_trig(memo, point.euler_psi);
  return rotation_of_trig(EulerTrig{memo.ct, memo.st, memo.cf, memo.sf, turn.c, turn.s});
}
