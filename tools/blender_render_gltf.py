"""Imports a glTF file into Blender and renders it with Cycles on the CPU at
some moments of its first animation, looking at it from the front (glTF's +z,
where the program's front camera stands) and a little above.

    blender -b --factory-startup -P tools/blender_render_gltf.py -- FILE.glb OUT_PREFIX [ANIMATION] [SECONDS ...]

Writes OUT_PREFIX-<seconds>.png for each moment (default 0 and 0.5) of the
animation named (default: the one the importer made active). A check a person
runs and looks at: nothing here is part of the build or the tests."""
import math
import sys

import bpy
import numpy
from mathutils import Vector

# Debian's Blender 3.4 importer still says numpy.bool, which numpy 1.24 dropped.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

args = sys.argv[sys.argv.index("--") + 1:]
path, prefix = args[0], args[1]
rest = args[2:]
animation = rest.pop(0) if rest and not rest[0].replace(".", "", 1).isdigit() else None
moments = [float(a) for a in rest] or [0.0, 0.5]

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=path)
scene = bpy.context.scene
scene.render.fps = 30
print("actions:", [a.name for a in bpy.data.actions])
if animation is not None:
    # The importer names each action "<animation>_<object>" and makes the
    # first one active: swap in the chosen animation's action everywhere.
    for block in list(bpy.data.objects) + list(bpy.data.shape_keys):
        data = block.animation_data
        if data is None or data.action is None or "_" not in data.action.name:
            continue
        wanted = bpy.data.actions.get(animation + "_" + data.action.name.split("_", 1)[1])
        if wanted is not None:
            data.action = wanted


def world_bounds():
    depsgraph = bpy.context.evaluated_depsgraph_get()
    lo = Vector((math.inf,) * 3)
    hi = Vector((-math.inf,) * 3)
    for obj in scene.objects:
        if obj.type != "MESH":
            continue
        evaluated = obj.evaluated_get(depsgraph)
        mesh = evaluated.to_mesh()
        for v in mesh.vertices:
            p = evaluated.matrix_world @ v.co
            lo = Vector(map(min, lo, p))
            hi = Vector(map(max, hi, p))
        evaluated.to_mesh_clear()
    return lo, hi


scene.frame_set(0)
lo, hi = world_bounds()
centre = (lo + hi) / 2
size = max((hi - lo).length, 1e-3)

camera_data = bpy.data.cameras.new("check")
camera = bpy.data.objects.new("check", camera_data)
scene.collection.objects.link(camera)
# Blender turns glTF's +z (towards the viewer) into -y.
camera.location = centre + Vector((0.35 * size, -1.6 * size, 0.45 * size))
direction = centre - camera.location
camera.rotation_euler = direction.to_track_quat("-Z", "Y").to_euler()
camera_data.clip_end = size * 10
scene.camera = camera

sun_data = bpy.data.lights.new("sun", "SUN")
sun_data.energy = 3.0
sun = bpy.data.objects.new("sun", sun_data)
sun.rotation_euler = (math.radians(50), math.radians(10), math.radians(30))
scene.collection.objects.link(sun)
world = bpy.data.worlds.new("world")
world.use_nodes = True
world.node_tree.nodes["Background"].inputs[0].default_value = (0.3, 0.32, 0.36, 1.0)
scene.world = world

scene.render.engine = "CYCLES"
scene.cycles.device = "CPU"
scene.cycles.samples = 24
scene.cycles.use_denoising = False  # Debian builds Cycles without a denoiser
scene.render.resolution_x = 480
scene.render.resolution_y = 400
for seconds in moments:
    scene.frame_set(int(round(seconds * scene.render.fps)))
    scene.render.filepath = f"{prefix}-{seconds:g}.png"
    bpy.ops.render.render(write_still=True)
