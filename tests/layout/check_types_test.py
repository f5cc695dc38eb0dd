#!/usr/bin/env python3
"""The one-definition check on small made-up trees."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_types  # noqa: E402
from made_up_tree import made_up_tree  # noqa: E402


class CheckTypes(unittest.TestCase):
    def problems(self, files):
        with made_up_tree(files) as src:
            return [p.replace(src + os.sep, "") for p in check_types.check([src])]

    def test_only_a_type_two_files_define_alike_is_a_clash(self):
        self.assertEqual(self.problems({
            "render/Thumbnails.h": "struct Request {\n    int size;\n};\nclass Later;\n",
            "ui/Workers.h": "struct Request {\n    QByteArray name;\n};\nstruct Later;\n",
            "ui/Workers.cpp": "struct Workers::Worker {\n};\nnamespace {\nstruct Request {\n};\n}  // namespace\n",
            "scene/A.h": "namespace a {\nstruct Item {\n};\n}  // namespace a\n",
            "scene/B.h": "namespace b {\nstruct Item {\n};\n}  // namespace b\nenum class Kind { One };\n",
            "media/C.h": "enum class Kind : int { Two };\n",
        }), ["Kind is defined in more than one place: media/C.h:1, scene/B.h:5",
             "Request is defined in more than one place: render/Thumbnails.h:1, ui/Workers.h:1"])


if __name__ == "__main__":
    unittest.main()
