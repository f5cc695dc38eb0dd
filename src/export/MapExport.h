#pragma once

class GltfWriter;
class MapBackdrop;

// Adds the map's world as drawn to `writer`: one node for the map holding a mesh
// per picture its faces use (sky faces left out, brush entities as shown), each
// face lit by its lightmap as vertex colours at the map's brightness. A missing
// picture exports as plain grey. The node, or -1 when the map draws no faces.
int ExportMapWorld(const MapBackdrop& map, GltfWriter& writer);
