#!/usr/bin/env python3
"""Writes the seed corpus of the physics fuzz target (tests/fuzz/corpus/physics).

Layout (little-endian floats, missing bytes read as zero): count byte,
count points, scale, body type byte, position, angle, linear velocity,
angular velocity, linear damping, angular damping, gravity scale, flags byte,
density, friction, restitution, circle centre, circle radius, velocity,
ray end.
"""
import math
import os
import struct
import sys

NAN = float("nan")
INF = float("inf")


def case(points, scale=1.0, body_type=2, position=(0, 5), angle=0.0, velocity=(0, 0),
         omega=0.0, linear_damping=0.0, angular_damping=0.0, gravity_scale=1.0, flags=0,
         density=1.0, friction=0.2, restitution=0.0, centre=(0, 0), radius=0.5,
         set_velocity=(1, 0), ray_end=(0, -5)):
    return (bytes([len(points)]) + b"".join(struct.pack("<ff", *p) for p in points) +
            struct.pack("<fB9fB10f", scale, body_type, *position, angle, *velocity, omega, linear_damping,
                        angular_damping, gravity_scale, flags, density, friction, restitution, *centre, radius,
                        *set_velocity, *ray_end))


def regular(n, r=1.0):
    return [(r * math.cos(2 * math.pi * i / n), r * math.sin(2 * math.pi * i / n)) for i in range(n)]


SQUARE = [(0, 0), (1, 0), (1, 1), (0, 1)]
CASES = {
    "square": case(SQUARE),
    "collinear": case([(0, 0), (1, 1), (2, 2)]),
    "flat_triangle": case([(0, 0), (1, 0), (0.5, 1e-7)]),
    "three_collinear_of_four": case([(0, 0), (1, 0), (2, 0), (1, 1)]),
    "nine_points": case(regular(9)),
    "ten_points": case(regular(10)),
    "eight_points": case(regular(8), scale=0.05),
    "welded": case([(0, 0), (1, 0), (0.001, 0.001), (1, 0.002)]),
    "nan_point": case([(0, 0), (1, 0), (NAN, 1)]),
    "sliver": case([(0, 0), (10, 0), (10, 0.05), (0, 0.05)]),
    # Box2D's float hull walk loops on this one (a point almost on an edge).
    "hull_walk_loop": case([(0.431040466, 0.357896239), (-0.207180724, 0.52053988),
                            (-0.55908519, -0.0361849405), (-0.138353005, -0.542903364),
                            (0.146343738, -0.0925035551)]),
    # Small and far from the body origin: inertia cancels in float.
    "far_dot": case([(133.522583, -184.077957), (133.415665, -184.19545),
                       (133.555405, -184.080551), (133.435226, -183.993683)]),
    "huge_scale": case(SQUARE, scale=1e30),
    "tiny_scale": case(SQUARE, scale=1e-30),
    "nan_position": case(SQUARE, position=(NAN, 0)),
    "negative_damping": case(SQUARE, linear_damping=-1.0),
    "inf_gravity_scale": case(SQUARE, gravity_scale=INF),
    "huge_velocity": case(SQUARE, velocity=(3e38, -3e38), omega=3e38, set_velocity=(3e38, 3e38)),
    "huge_gravity_scale": case(SQUARE, gravity_scale=3e38),
    "far_away_body": case(SQUARE, position=(3e38, -3e38)),
    "edge_of_the_world": case(SQUARE, position=(1e7, -1e7), velocity=(1e6, 0), omega=-1e6, gravity_scale=1e6),
    "head_on_speed": case(SQUARE, position=(0, 2), velocity=(0, -3e38), set_velocity=(0, -3e38)),
    "no_shape_points": case([]),
    "circle_only_negative_radius": case([], radius=-1.0),
    "far_small_circle": case([], centre=(1000, 0), radius=0.001),
    "nan_density": case(SQUARE, density=NAN),
    "static_body": case(SQUARE, body_type=0, flags=8),
    "zero_ray": case(SQUARE, position=(0, -5), ray_end=(0, -5)),
    "ray_to_the_float_limit": case(SQUARE, position=(0, 0.5), ray_end=(-3e38, 0.5)),
    "bullet_fixed": case(SQUARE, flags=3, velocity=(100, -100)),
    # Mass and inertia that overflow float.
    "huge_dense_circle": case([], density=5e32, radius=3e32, centre=(3e32, 3e32)),
    "dense_square": case(SQUARE, scale=1e6, density=1e30),
    # A mass near the float minimum on a static body that then turns dynamic.
    "denormal_density_static": case([], body_type=0, density=3.6e-41, radius=1.0),
    "negative_density": case(SQUARE, density=-1.0),
}


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "corpus", "physics")
    os.makedirs(out_dir, exist_ok=True)
    for name, data in CASES.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
