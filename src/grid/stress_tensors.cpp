// Reduced stress tensor of every grid point, S = R^T D R with
// D = diag(1, Phi, 0) and the rows of R the principal axes. The two
// products are formed element by element in a fixed order so that every
// component is the same single-precision value on every build.
#include "grid/stress_tensors.h"

#include "common/constants.h"
#include "grid/orientation.h"
#include "grid/rotation_memo.h"

static void store_tensor_reference(GridPoint& point, const Matrix3& r) {
  Matrix3 d = {};  // D: 1, Phi of the grid point, 0
  d.m[0][0] = 1.0f;
  d.m[1][1] = point.stress_ratio;
  Matrix3 t;  // R^T D
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 3; ++k) {
      float sum = 0.0f;
      for (int l = 0; l < 3; ++l) sum = sum + r.m[l][i] * d.m[l][k];
      t.m[i][k] = sum;
    }
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      point.stress_tensor[j * 3 + i] =
          t.m[i][0] * r.m[0][j] + t.m[i][1] * r.m[1][j] + t.m[i][2] * r.m[2][j];
    }
  }
}

void compute_stress_tensors_reference(Gss& gss) {
  for (GridPoint& p : gss.points)
    store_tensor_reference(p, euler_rotation_matrix(p.euler_theta, p.euler_phi, p.euler_psi));
}

// The reference's values with the products by the ones and zeros of D
// left out. For finite r (sines and cosines and their products are),
// IEEE arithmetic makes them exact: r * 1 is r; r * 0 is a zero, and a
// zero added to a sum leaves it unchanged, except that 0 + -0 is +0. So
// the first column of R^T D is 0 + r_0i, the second 0 + r_1i Phi, the
// third +0; the last product, +0 times r_2j, is kept, since its sign
// decides the sign of a zero sum.
static void store_tensor(GridPoint& point, const Matrix3& rotation) {
  const Matrix3 r = rotation;
  const float phi = point.stress_ratio;
  const float a0 = 0.0f + r.m[0][0], a1 = 0.0f + r.m[0][1], a2 = 0.0f + r.m[0][2];
  const float b0 = 0.0f + r.m[1][0] * phi, b1 = 0.0f + r.m[1][1] * phi,
              b2 = 0.0f + r.m[1][2] * phi;
  const float z0 = 0.0f * r.m[2][0], z1 = 0.0f * r.m[2][1], z2 = 0.0f * r.m[2][2];
  // Column j of S holds S_0j, S_1j, S_2j; S_ij = (a_i r_0j + b_i r_1j) + z_j.
  float* s = point.stress_tensor;
  s[0] = (a0 * r.m[0][0] + b0 * r.m[1][0]) + z0;
  s[1] = (a1 * r.m[0][0] + b1 * r.m[1][0]) + z0;
  s[2] = (a2 * r.m[0][0] + b2 * r.m[1][0]) + z0;
  s[3] = (a0 * r.m[0][1] + b0 * r.m[1][1]) + z1;
  s[4] = (a1 * r.m[0][1] + b1 * r.m[1][1]) + z1;
  s[5] = (a2 * r.m[0][1] + b2 * r.m[1][1]) + z1;
  s[6] = (a0 * r.m[0][2] + b0 * r.m[1][2]) + z2;
  s[7] = (a1 * r.m[0][2] + b1 * r.m[1][2]) + z2;
  s[8] = (a2 * r.m[0][2] + b2 * r.m[1][2]) + z2;
}

// The grid gives each orientation to a run of stress ratios: its rotation
// is worked out once for the run, the same values giving the same matrix.
void compute_stress_tensors(Gss& gss) {
  RotationMemo memo;
  Matrix3 r = {};
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const GridPoint& p = gss.points[k];
    if (k == 0 || !same_angles(p, gss.points[k - 1])) r = memo_rotation(memo, p);
    store_tensor(gss.points[k], r);
  }
}
