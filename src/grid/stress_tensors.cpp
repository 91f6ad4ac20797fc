// Reduced stress tensor of every grid point, S = R^T D R with
// D = diag(1, Phi, 0) and the rows of R the principal axes. The two
// products are formed element by element in a fixed order so that every
// component is the same single-precision value on every build.
#include "grid/stress_tensors.h"

#include "common/constants.h"
#include "grid/orientation.h"

static void store_tensor(GridPoint& point, const Matrix3& r) {
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

// The grid gives each orientation to a run of stress ratios: its rotation
// is worked out once for the run, the same values giving the same matrix.
void compute_stress_tensors(Gss& gss) {
  Matrix3 r = {};
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const GridPoint& p = gss.points[k];
    const GridPoint* previous = k > 0 ? &gss.points[k - 1] : nullptr;
    if (previous == nullptr || p.euler_theta != previous->euler_theta ||
        p.euler_phi != previous->euler_phi || p.euler_psi != previous->euler_psi)
      r = euler_rotation_matrix(p.euler_theta, p.euler_phi, p.euler_psi);
    store_tensor(gss.points[k], r);
  }
}
