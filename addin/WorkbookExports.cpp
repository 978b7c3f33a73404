// The workbook functions that macro code calls: plain C with 32-bit integer and pointer
// arguments, each a thin door into the workbook session.
#include "addin/AddInLifetime.h"
#include "addin/WorkbookSession.h"

using namespace addin;

ADDIN_EXPORT int PvExcelInit(void)
{
    return Guarded(0, [] { return Session().Init(); });
}

ADDIN_EXPORT int PvExcelExit(void)
{
    return Guarded(1, [] { return Session().Exit(); });
}

ADDIN_EXPORT int PvExcelReadStart(int mask, int periodMs, int durationS, int row, int column)
{
    return Guarded(0, [=] { return Session().ReadStart(mask, periodMs, durationS, row, column); });
}

ADDIN_EXPORT int PvExcelReadData(void)
{
    return Guarded(0, [] { return Session().ReadData(); });
}

ADDIN_EXPORT int PvExcelReadStop(void)
{
    return Guarded(0, [] { return Session().ReadStop(); });
}

ADDIN_EXPORT int PvExcelSensorDetection(int pollMs, int force)
{
    return Guarded(0, [=] { return Session().SensorDetection(pollMs, force); });
}

ADDIN_EXPORT int PvExcelSnapshot(int channel, int row, int column)
{
    return Guarded(0, [=] { return Session().Snapshot(channel, row, column); });
}

ADDIN_EXPORT int PvExcelSnapshotToCell(void)
{
    return Guarded(0, [] { return Session().SnapshotToCell(); });
}

ADDIN_EXPORT int PvExcelSnapshotForm(int, int, int)
{
    return Guarded(0, [] { return 0; });
}

ADDIN_EXPORT int PVUpdataMeasure(int)
{
    return Guarded(1, [] { return 1; });
}

ADDIN_EXPORT int PVMeasureDialog(int)
{
    return Guarded(0, [] { return Session().MeasureDialog(); });
}

ADDIN_EXPORT int PVSnapshotDialog(int)
{
    return Guarded(1, [] { return Session().SnapshotDialog(); });
}

ADDIN_EXPORT int PVAnalyzeDialog(int)
{
    return Guarded(1, [] { return Session().AnalyzeDialog(); });
}

ADDIN_EXPORT int PVAnalyzeData(int first, int last, int n, int kind, int column, const double* x, const double* y,
                               char* out)
{
    return Guarded(0, [=] { return Session().AnalyzeData(first, last, n, kind, column, x, y, out); });
}
