# Data sets for the timings, sourced by bench/run.sh and bench/compare.sh.
# random N SEED: planes and slip lines at random (the fill does the same work
# whatever the data mean).
random_data() {
  awk -v n="$1" -v seed="$2" 'BEGIN { srand(seed); split("N R S D", s, " ");
    for (i = 0; i < n; i++) printf "%.1f %.1f %.1f %.1f %s\n", 360*rand(), 90*rand(), 360*rand(), 90*rand(), s[i%4+1] }'
}
# synthetic N SEED STATES...: N data whose slip is the resolved shear of the
# stress states (s1az s1pl s3az s3pl phi), taken in turn.
synthetic_data() {
  local n=$1 seed=$2; shift 2
  awk -v n="$n" -v seed="$seed" -v states="$*" 'function ax(a, p, v) { a *= r; p *= r;
      v[1] = cos(p)*sin(a); v[2] = cos(p)*cos(a); v[3] = -sin(p) }
    function dot(a, b) { return a[1]*b[1] + a[2]*b[2] + a[3]*b[3] }
    BEGIN { r = atan2(0, -1) / 180; srand(seed); m = split(states, st, " ") / 5; made = 0;
      while (made < n) { b = (made % m) * 5;
        ax(st[b+1], st[b+2], e1); ax(st[b+3], st[b+4], e3); phi = st[b+5];
        e2[1] = e3[2]*e1[3] - e3[3]*e1[2]; e2[2] = e3[3]*e1[1] - e3[1]*e1[3]; e2[3] = e3[1]*e1[2] - e3[2]*e1[1];
        dd = 360*rand(); dip = 20 + 65*rand(); a = dd*r; d = dip*r;
        nv[1] = -sin(a)*sin(d); nv[2] = -cos(a)*sin(d); nv[3] = -cos(d);
        for (i = 1; i <= 3; i++) t[i] = e1[i]*dot(e1, nv) + phi*e2[i]*dot(e2, nv);
        tn = dot(t, nv); for (i = 1; i <= 3; i++) tau[i] = t[i] - tn*nv[i];
        len = sqrt(dot(tau, tau)); if (len < 0.05) continue;
        down = tau[3] <= 0; sg = down ? 1 : -1;
        pl = atan2(-sg*tau[3], sqrt(tau[1]^2 + tau[2]^2)) / r; az = atan2(sg*tau[1], sg*tau[2]) / r;
        if (az < 0) az += 360;
        printf "%.1f %.1f %.1f %.1f %s\n", dd, dip, az, pl, down ? "N" : "R"; made++ } }'
}

