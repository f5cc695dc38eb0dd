#!/usr/bin/env python3
"""The include check on small made-up trees: each rule must fire, and a clean tree must pass."""

import os
import sys
import unittest

# Nothing written into the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_includes  # noqa: E402
from made_up_tree import made_up_tree  # noqa: E402


class CheckIncludes(unittest.TestCase):
    def problems(self, files):
        with made_up_tree(files) as src:
            return check_includes.check(src)

    def test_a_layered_tree_passes(self):
        self.assertEqual(self.problems({
            "math/Vector3.h": "#pragma once\n",
            "scene/COGLObject.h": '#include "math/Vector3.h"\n',
            "models/COGLModel.h": '#include "scene/COGLObject.h"\n',
            "models/quake2/COGLMD2.cpp": '#include "models/COGLModel.h"\n#include "models/quake2/COGLMD2.h"\n',
            "models/quake2/COGLMD2.h": "#pragma once\n",
            "models/ModelFamilies.cpp": '#include "models/quake2/COGLMD2.h"\n',
            "render/COGLView.cpp": '#include "export/GltfWriter.h"\n#include "models/COGLModel.h"\n',
            "ui/MainWindow.cpp": "#include <QMainWindow>\n#include \"render/COGLView.h\"\n",
        }), [])

    def test_an_upward_include_names_the_file_line_and_layers(self):
        problems = self.problems({
            "export/GltfWriter.cpp": '// writes glTF\n#include "render/COGLView.h"\n',
            "render/COGLView.h": "#pragma once\n",
        })
        self.assertEqual(problems, ['src/export/GltfWriter.cpp:2: includes "render/COGLView.h": '
                                    "export may include models and below, not render"])

    def test_qt_stays_in_the_shell(self):
        problems = self.problems({"scene/COGLScene.cpp": "#include <vector>\n#include <QString>\n"})
        self.assertEqual(len(problems), 1)
        self.assertIn("src/scene/COGLScene.cpp:2: includes <QString...>", problems[0])

    def test_families_stay_apart_and_out_of_the_base(self):
        problems = self.problems({
            "models/quake1/COGLMDL.cpp": '#include "models/quake2/COGLMD2.h"\n',
            "models/quake2/COGLMD2.h": "#pragma once\n",
            "models/ModelOpen.cpp": '#include "models/quake2/COGLMD2.h"\n',
        })
        self.assertEqual(len(problems), 2)
        # The base's files come before the family folders.
        self.assertIn("src/models/ModelOpen.cpp:1: includes", problems[0])
        self.assertIn("the model base includes the quake2 family", problems[0])
        self.assertIn("the quake1 family includes the quake2 family", problems[1])

    def test_a_circle_is_reported_with_its_includes(self):
        problems = self.problems({
            "render/COGLView.h": '#include "render/COGLViewport.h"\n',
            "render/COGLViewport.h": "#pragma once\n",
            "render/COGLViewport.cpp": '#include "render/COGLView.h"\n',
        })
        self.assertEqual(problems, [
            "include circle among render/COGLView, render/COGLViewport:",
            '  src/render/COGLView.h:1: includes "render/COGLViewport.h"',
            '  src/render/COGLViewport.cpp:1: includes "render/COGLView.h"',
        ])


if __name__ == "__main__":
    unittest.main()
