// The Matrix_ family: matrices as tables of 16 numbers in the engine's
// column-major order, worked on by the engine's own matrix routines.
// Results are new tables; the arguments are not changed.
#include "engine/matrix.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

namespace {

int Identity(lua_State* L)
{
    Matrix m;
    m.Identity();
    PushMatrix(L, m);
    return 1;
}

// Matrix_Rotate(m, angles) and Matrix_Translate(m, v): the matrix with the
// operation applied; Translate moves by the negated vector, as for cameras.
template <void (Matrix::*Operation)(const Vector&)>
int MatrixAndVector(lua_State* L)
{
    Matrix m;
    Vector v;
    if (!ScriptValue(L).GetVector(v) || !ScriptValue(L).GetMatrix(m))
        return kArgumentMismatch;
    (m.*Operation)(v);
    PushMatrix(L, m);
    return 1;
}

template <void (Matrix::*Operation)()>
int MatrixOnly(lua_State* L)
{
    Matrix m;
    if (!ScriptValue(L).GetMatrix(m))
        return kArgumentMismatch;
    (m.*Operation)();
    PushMatrix(L, m);
    return 1;
}

// Matrix_TransformVector(m, point) and Matrix_RotateVector(m, v).
template <Vector (Matrix::*Apply)(const Vector&) const>
int VectorThroughMatrix(lua_State* L)
{
    Matrix m;
    Vector v;
    if (!ScriptValue(L).GetVector(v) || !ScriptValue(L).GetMatrix(m))
        return kArgumentMismatch;
    PushVector(L, (m.*Apply)(v));
    return 1;
}

// Matrix_LookAt(eye, target): the rotation that turns the view from eye to
// target with the world's up axis; no translation.
int LookAt(lua_State* L)
{
    Vector eye, target;
    if (!ScriptValue(L).GetVector(target) || !ScriptValue(L).GetVector(eye))
        return kArgumentMismatch;
    Matrix m;
    m.Identity();
    m.LookAt(eye, target, {0.0f, 1.0f, 0.0f});
    PushMatrix(L, m);
    return 1;
}

}  // namespace

void RegisterMatrixFunctions()
{
    gScriptManager->RegisterFunction<Identity>("Matrix_Identity");
    gScriptManager->RegisterFunction<MatrixAndVector<&Matrix::Rotate>>("Matrix_Rotate");
    gScriptManager->RegisterFunction<MatrixAndVector<&Matrix::Translate>>("Matrix_Translate");
    gScriptManager->RegisterFunction<MatrixOnly<&Matrix::Transpose>>("Matrix_Transpose");
    gScriptManager->RegisterFunction<MatrixOnly<&Matrix::TransposeRotation>>("Matrix_TransposeRotation");
    gScriptManager->RegisterFunction<VectorThroughMatrix<&Matrix::TransformPoint>>("Matrix_TransformVector");
    gScriptManager->RegisterFunction<VectorThroughMatrix<&Matrix::RotateVector>>("Matrix_RotateVector");
    gScriptManager->RegisterFunction<LookAt>("Matrix_LookAt");
}
