"""A small source tree written into a scratch folder for the layout checks' tests."""

import contextlib
import os
import tempfile


@contextlib.contextmanager
def made_up_tree(files):
    """Writes {relative path: text} below a scratch folder and yields its path."""
    with tempfile.TemporaryDirectory() as src:
        for rel, text in files.items():
            path = os.path.join(src, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        yield src
