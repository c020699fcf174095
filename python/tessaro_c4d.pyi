"""Old Cinema 4D scenes (.c4d) imported through Tessaro's import module.

import_scene() runs one import session as Tessaro runs it and returns what
reached the host; load_scene() returns the scene tree as the file holds it.
"""
import os
from typing import Any, Callable, Dict, List, Literal, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

class SceneReadError(OSError):
    """A file that is no scene or could not be read to its end; the text is the module's message."""

class Mesh:
    """A mesh the host received: points, polygons, layer and colour."""
    @property
    def index(self) -> int:
        """Place in the host's object vector (0-based)."""
    @property
    def source(self) -> Optional[str]:
        """The scene object it comes from, as a path: 'House / Walls'; or None."""
    @property
    def added(self) -> Optional[str]:
        """For a mesh the converter made after the import (a primitive rebuilt from its parameters), what
        it is and what it leaves out; None for the module's own meshes."""
    @property
    def points(self) -> npt.NDArray[np.float64]:
        """Host points, (n, 3) float64: millimetres, Z up."""
    @property
    def face_sizes(self) -> npt.NDArray[np.int32]:
        """Corners of each face."""
    @property
    def face_corners(self) -> npt.NDArray[np.int32]:
        """0-based point indices of every face's corners, one face after the other."""
    @property
    def broken_faces(self) -> int:
        """Faces whose edges did not close into a ring (left out)."""
    @property
    def layer(self) -> int:
        """Id of the host layer (a Layer.id; 0: none)."""
    @property
    def argb(self) -> List[int]:
        """(A, R, G, B): A is the transparency in percent, R, G, B 0 to 255."""
    @property
    def surface(self) -> Optional[str]:
        """The surface file the host got, or None."""
    @property
    def node(self) -> Optional[int]:
        """Index of the Node it hangs under (ImportResult.nodes), or None."""
    @property
    def local_points(self) -> npt.NDArray[np.float64]:
        """The points in its node's frame, (n, 3); equal to points without a node."""
    @property
    def material(self) -> Optional[int]:
        """Index into ImportResult.materials (of every face without face_materials); None for a mesh the
        converter could not take over (a point beyond a float)."""
    @property
    def face_materials(self) -> Optional[npt.NDArray[np.int32]]:
        """Per face the index into ImportResult.materials; None when every face has `material`."""
    @property
    def uvs(self) -> Optional[npt.NDArray[np.float64]]:
        """Per corner (as face_corners), (corners, 2): u right, v down from the image's top left; or None."""
    @property
    def normals(self) -> Optional[npt.NDArray[np.float64]]:
        """Per corner the unit normal in its node's frame, (corners, 3); None when faceted."""
    @property
    def smooth_angle(self) -> Optional[float]:
        """The angle (radians) the normals were smoothed by, 0 without a phong tag; None when faceted."""

class Polyline:
    """A polyline the host received."""
    @property
    def index(self) -> int: ...
    @property
    def source(self) -> Optional[str]:
        """The scene object it comes from, as a path: 'House / Walls'; or None."""
    @property
    def added(self) -> Optional[str]:
        """For a polyline the converter made after the import (a spline drawn from its control points or
        its parameters), what it is; None for the module's own polylines."""
    @property
    def points(self) -> npt.NDArray[np.float64]:
        """(n, 3) float64, without the repeated first point of a closed one."""
    @property
    def closed(self) -> bool: ...
    @property
    def layer(self) -> int: ...
    @property
    def argb(self) -> List[int]: ...
    @property
    def surface(self) -> Optional[str]: ...
    @property
    def node(self) -> Optional[int]: ...
    @property
    def material(self) -> Optional[int]: ...
    @property
    def local_points(self) -> npt.NDArray[np.float64]:
        """The points in its node's frame; equal to points without a node."""

class Node:
    """An object of the scene tree with its placement."""
    @property
    def name(self) -> str: ...
    @property
    def path(self) -> str:
        """Names from the top: 'House / Walls'."""
    @property
    def parent(self) -> Optional[int]: ...
    @property
    def local(self) -> npt.NDArray[np.float64]:
        """(4, 4) row-major: its place under its parent (host axes, Z up, the unit asked for)."""
    @property
    def world(self) -> npt.NDArray[np.float64]:
        """(4, 4): the parent's world @ local."""
    @property
    def layer(self) -> Optional[str]:
        """The scene layer's name, or None."""
    @property
    def children(self) -> List[int]: ...
    @property
    def meshes(self) -> List[int]:
        """Indices into ImportResult.meshes."""
    @property
    def polylines(self) -> List[int]:
        """Indices into ImportResult.polylines."""
    @property
    def camera(self) -> Optional[int]: ...
    @property
    def light(self) -> Optional[int]: ...

class Material:
    """A material of the output: the scene's own, or one per host colour, transparency and surface."""
    @property
    def name(self) -> str: ...
    @property
    def colour(self) -> Tuple[float, float, float]: ...
    @property
    def opacity(self) -> float: ...
    @property
    def texture(self) -> Optional[str]:
        """The colour bitmap's file as found, or None."""
    @property
    def texture_name(self) -> Optional[str]:
        """The bitmap as the material names it, or None."""
    @property
    def from_scene(self) -> bool: ...

class Camera:
    """A camera object: it looks along +Y of its node, +Z up."""
    @property
    def name(self) -> str: ...
    @property
    def node(self) -> int: ...
    @property
    def focal_length(self) -> float:
        """Millimetres."""
    @property
    def film_width(self) -> float:
        """Millimetres."""
    @property
    def aspect(self) -> float: ...

class Light:
    """A light object: spot and infinite lights shine along +Y of their node."""
    @property
    def name(self) -> str: ...
    @property
    def node(self) -> int: ...
    @property
    def kind(self) -> Literal["point", "spot", "infinite", "area"]: ...
    @property
    def colour(self) -> Tuple[float, float, float]: ...
    @property
    def brightness(self) -> float:
        """1 is the scene program's 100 %."""
    @property
    def inner_angle(self) -> float:
        """Spot: the whole inner angle, radians."""
    @property
    def outer_angle(self) -> float: ...
    @property
    def note(self) -> Optional[str]: ...

class Layer:
    """A leaf of the host's layer table after the import."""
    @property
    def id(self) -> int: ...
    @property
    def long_name(self) -> str: ...
    @property
    def short_name(self) -> str: ...
    @property
    def path(self) -> List[str]:
        """Long names of the nodes above the leaf: ['Cinema4D', '<file>']."""
    @property
    def config(self) -> int:
        """0 editable, 1 locked, 2 hidden."""
    @property
    def state(self) -> Literal["editable", "locked", "hidden"]: ...
    @property
    def user_defined(self) -> bool: ...

class Message:
    """A message box the module showed."""
    @property
    def box(self) -> Literal["error", "question", "report"]: ...
    @property
    def type(self) -> int:
        """Error: 0 error, 2 information; question: its button style."""
    @property
    def text(self) -> str: ...

class Session:
    """The import session's counters."""
    @property
    def total(self) -> int: ...
    @property
    def converted(self) -> int: ...
    @property
    def max_polygons(self) -> int: ...
    @property
    def convert_large(self) -> bool: ...
    @property
    def cancelled(self) -> bool: ...

class ImportResult:
    """What one import session left in the host."""
    @property
    def path(self) -> Union[str, bytes, os.PathLike]:
        """The path as it was given."""
    @property
    def meshes(self) -> List[Mesh]: ...
    @property
    def polylines(self) -> List[Polyline]: ...
    @property
    def layers(self) -> List[Layer]:
        """Every leaf of the layer table, in table order."""
    @property
    def messages(self) -> List[Message]:
        """Every message box shown, in order."""
    @property
    def session(self) -> Session: ...
    @property
    def not_converted(self) -> List[Tuple[str, str]]:
        """(name, reason) of each counted object that reaches no output."""
    @property
    def hidden(self) -> List[Tuple[str, str]]:
        """(name, reason) of each object left out because the scene hides it (hidden=True keeps them)."""
    @property
    def host_error(self) -> Optional[str]: ...
    @property
    def failures(self) -> List[str]:
        """Steps after the import that failed, each with its message; what was converted is kept."""
    @property
    def timings(self) -> Dict[str, float]:
        """Seconds: 'import' in the module, 'arrays' to hand the result over."""
    @property
    def nodes(self) -> List[Node]: ...
    @property
    def materials(self) -> List[Material]: ...
    @property
    def cameras(self) -> List[Camera]: ...
    @property
    def lights(self) -> List[Light]: ...
    @property
    def notes(self) -> List[str]:
        """Textures not found and the like, one line each."""
    @property
    def units(self) -> Literal["mm", "cm"]: ...

def import_scene(
    path: Union[str, bytes, os.PathLike],
    large: Literal["yes", "no", "cancel"] = "no",
    primitives: bool = True,
    hidden: bool = False,
    render_level: bool = False,
    layers: Optional[Union[str, bytes, os.PathLike]] = None,
    progress: Optional[Callable[[int, int], None]] = None,
    units: Literal["mm", "cm"] = "mm",
) -> ImportResult:
    """Imports a .c4d file through the module and the stand-in host, as `c4dimport import` does.

    large: the answer to the question about meshes above 500000 polygons.
    primitives: primitives without polygon caches rebuilt from their parameters after the import and
    appended to the meshes, as the tool does (--no-primitives: False).
    hidden: keep the objects the scene hides (hidden in the editor or disabled), as --hidden does.
    render_level: subdivision surfaces at their render level, as --render-level does.
    layers: a layer table file kept across imports, or None for a fresh table.
    progress: called as progress(converted, counted) while the module works; an exception it raises
    cancels the import and is raised at once; calling import_scene from it raises RuntimeError.
    units: every length in millimetres (the host's) or centimetres (the scene's own numbers).
    Raises SceneReadError with the module's message when the file cannot be read.
    """

def read_preview(path: Union[str, bytes, os.PathLike]) -> Optional[bytes]:
    """The preview image (JPEG bytes) the scene program keeps in files of the newer variant from version 13
    on, as `c4dimport preview` writes it; None when the file holds none. Raises SceneReadError when the
    file is no scene file."""

def load_scene(path: Union[str, bytes, os.PathLike], strict: bool = True) -> Dict[str, Any]:
    """The scene tree as `c4dimport scene --json` shows it, as dicts and lists.

    strict: raise SceneReadError when the file cannot be loaded to its end; False
    returns what was read, with 'loaded' False and the file's 'error'.
    """
