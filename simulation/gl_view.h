// The view of one OpenGL context slot without the context: view area, projection and view
// parameters, the eight lights, and the matrices a frame's set-up builds. The matrices are
// computed here in double precision exactly as the GL and GLU calls of the set-up would
// build them (column-major, as glLoadMatrixd takes them), so fitting, picking and
// project/unproject work and are tested without a context. No Qt and no GL here.
#pragma once
#include <cstdint>

struct GLMAT4 {
  double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // column-major
  double& at(int row, int col) { return m[col * 4 + row]; }
  double at(int row, int col) const { return m[col * 4 + row]; }
};

// a * b (b applied first, as glMultMatrix appends b to a).
GLMAT4 gl_mat_mul(const GLMAT4& a, const GLMAT4& b);
GLMAT4 gl_mat_frustum(double l, double r, double b, double t, double n, double f);
GLMAT4 gl_mat_ortho(double l, double r, double b, double t, double n, double f);
GLMAT4 gl_mat_translate(double x, double y, double z);
GLMAT4 gl_mat_scale(double x, double y, double z);
GLMAT4 gl_mat_rotate(double deg, double x, double y, double z);
// gluPickMatrix: a w x h pixel square about (x, y) of the viewport fills the clip volume.
GLMAT4 gl_mat_pick(double x, double y, double w, double h, const std::int32_t viewport[4]);
// false when the matrix is singular.
bool gl_mat_invert(const GLMAT4& a, GLMAT4& out);

// gluProject / gluUnProject: window x and y in pixels (origin bottom left), window depth 0..1.
bool gl_project(double x, double y, double z, const GLMAT4& model, const GLMAT4& proj,
                const std::int32_t viewport[4], double& wx, double& wy, double& wz);
// gl_project with proj x model made once (gl_mat_mul(proj, model)) for many points: the
// same results.
bool gl_project_pm(double x, double y, double z, const GLMAT4& pm, const std::int32_t viewport[4],
                   double& wx, double& wy, double& wz);
bool gl_unproject(double wx, double wy, double wz, const GLMAT4& model, const GLMAT4& proj,
                  const std::int32_t viewport[4], double& x, double& y, double& z);

constexpr int GL_LIGHT_COUNT = 8;
struct TGL_LIGHT {
  std::uint8_t enabled = 0;
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float position[4] = {0, 0, 1, 0};
  float spot_direction[3] = {0, 0, -1};
  float spot_exponent = 0;
  float spot_cutoff = 180;
  float constant_att = 1, linear_att = 0, quadratic_att = 0;
};

// Render modes of a frame (GL_RENDER and GL_SELECT).
constexpr int GL_VIEW_RENDER = 0x1C00;
constexpr int GL_VIEW_SELECT = 0x1C02;

struct TGL_VIEW {
  float background[3] = {0, 0, 0};
  float pixel_size = 0;        // world units per pixel at the view centre (set-up)
  float scene_size = 0;        // set by fitting; light positions scale with it
  std::int32_t viewport[4] = {0, 0, 10, 10};
  std::int32_t panel_w = 10, panel_h = 10;
  std::int32_t margin_l = 0, margin_t = 0, margin_r = 0, margin_b = 0;
  std::uint8_t perspective = 0;
  float scale = 0;             // base scale x zoom factor (set-up)
  float base_scale = 0;
  float zoom = 0;
  float rot_x = 0, rot_z = 0;  // degrees
  float first_shift[3] = {0, 0, 0};
  float centre_shift[3] = {0, 0, 0};
  float near_z = 0, far_z = 0;
  double pick_x = 0, pick_y = 0;
  TGL_LIGHT lights[GL_LIGHT_COUNT];
  // Kept by the last set-up: its projection without the pick matrix, the modelview with the
  // view rotations and the centre shift, and its viewport; load_proj is what it loaded (with
  // the pick matrix in select mode).
  GLMAT4 proj, model, load_proj;
  std::int32_t kept_viewport[4] = {0, 0, 10, 10};
  std::uint8_t matrices_valid = 0;
};

// Panel size (each at least 10) and margins; the viewport is what the margins leave.
void set_GL_view_area(TGL_VIEW& v, int width, int height, int left, int top, int right,
                      int bottom);
void set_GL_default_view(TGL_VIEW& v);
// Everything of the view that a picture of another slot takes over: all but the bottom
// margin and the kept matrices.
void copy_GL_view(TGL_VIEW& dst, const TGL_VIEW& src);
void init_GL_lights(TGL_VIEW& v);
void set_GL_default_lighting(TGL_VIEW& v, bool init);

// The half extents of the view volume: the longer side of the viewport spans -1..1.
void gl_view_half_extents(const TGL_VIEW& v, double& x, double& y);
// The projection a set-up loads (pick matrix in select mode, frustum or ortho, first shift,
// scale = base scale x zoom) and the view that follows the lights (rotations about X and Z,
// centre shift). Sets scale, pixel size and the kept matrices; picking, project and unproject
// keep working with the view of a select-mode frame.
void build_GL_matrices(TGL_VIEW& v, int render_mode);
// World point -> window point with the kept matrices: (Round(x), panel height - Round(y));
// true when the window depth lies in 0..1.
bool project_3Dpos(const TGL_VIEW& v, const float world[3], std::int32_t screen[2]);
// The world point under the mouse on the plane Z = z with the kept matrices.
bool get_3Dpos(const TGL_VIEW& v, float out[3], double z, double mouse_y, double mouse_x);

// The table step (in 256ths of a turn) of an arc of the radius in the current view.
int gl_arc_table_step(double radius, double pixel_size, double scale);

// A point list of the outline builders: a count and at most 300 points.
constexpr int GL_ARC_POINTS_MAX = 300;
struct TGL_POINT_LIST {
  std::int32_t count = 0;
  float p[GL_ARC_POINTS_MAX + 1][3] = {};
  // Appends a point while there is room (false when it was dropped).
  bool add(float x, float y, float z);
};
// Arc points from start to end about the centre (start, inner points every 16 table
// entries, end), counter-clockwise with the direction flag set. XY: z of the start;
// XZ: angles in the x-z plane, y of the start.
void make_arc_points_XY(TGL_POINT_LIST& list, bool dir, const float c[3], const float s[3],
                        const float e[3], float r);
void make_arc_points_XZ(TGL_POINT_LIST& list, bool dir, const float c[3], const float s[3],
                        const float e[3], float r);

// Each byte times the factor, rounded, clamped to 0..255.
void scale_color_bytes(const std::uint8_t in[4], float f, std::uint8_t out[4]);

// The points of a helical arc as drawn by the arc routines: plane axes (u, v) and the third
// axis w. Start and end are (u, v, w); clockwise runs from start to end clockwise.
// Appends start, the inner table points and the end.
int gl_helix_points(double cu, double cv, const double s[3], const double e[3], double r,
                    bool clockwise, int k, double* out, int max_points);
