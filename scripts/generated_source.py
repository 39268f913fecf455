"""Writing a generated source file, or checking that the committed one is current, for the generators of
the tables the libraries compile in (maps/tools/gen_geotables.py, numerics/tools/gen_statistables.py).

emit(script, output, generated): script is the generator's path in the repository, output the Path of the
generated file. With --check on the command line it exits with a message (status 1) when the committed file
differs from the generated text and says that it is current otherwise; without, it writes the file (UTF-8,
LF line ends).
"""
import sys
from pathlib import Path


def emit(script, output, generated):
    name = Path(script).stem
    if "--check" in sys.argv[1:]:
        current = output.read_text(encoding="utf-8") if output.exists() else ""
        if current != generated:
            sys.exit(f"{name}: {output.name} is not the generator's output; run {script}")
        print(f"{name}: {output.name} is current")
        return
    output.write_text(generated, encoding="utf-8", newline="\n")
    print(f"{name}: wrote {output}")
