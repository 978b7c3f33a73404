/*
 * The calling contract between a spreadsheet host and the add-in, shared by
 * VRDExcelAddInApp and the stand-in host xlhost. Plain C, no other header needed.
 *
 * The host exports one callback, MdCallBack12, from its main program. The add-in finds it by
 * name (dlsym) and calls host functions through it by number, with up to 255 operands and a
 * result operand. Every call is made on the host's thread.
 *
 * Memory: operands the add-in passes in are the add-in's own (its scratch, freed after the call).
 * A result that carries memory (a string or an array) belongs to the host until the add-in
 * hands it back with xlFree. Operands a workbook function returns are the add-in's (static).
 */
#ifndef CORVIK_ADDIN_HOST_CALL_API_H
#define CORVIK_ADDIN_HOST_CALL_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Operand types. Number, string, error, reference, missing and integer are the host's long-
 * standing values; boolean, array and empty are values of our own, chosen as free bits. */
enum {
    HOST_TYPE_NUMBER = 0x0001,    /* value.number */
    HOST_TYPE_STRING = 0x0002,    /* value.text: UTF-16, text[0] = length (0..255), no terminator */
    HOST_TYPE_BOOLEAN = 0x0004,   /* value.boolean: 0 or 1 */
    HOST_TYPE_ERROR = 0x0010,     /* value.error: one of HOST_ERROR_* */
    HOST_TYPE_ARRAY = 0x0040,     /* value.array: rows x columns operands, row by row */
    HOST_TYPE_MISSING = 0x0080,   /* an argument not given; as an xlSet value it clears cells */
    HOST_TYPE_EMPTY = 0x0100,     /* an empty cell */
    HOST_TYPE_REFERENCE = 0x0400, /* value.reference: one area of the active sheet, 0-based */
    HOST_TYPE_INTEGER = 0x0800    /* value.integer */
};

/* Error values (value.error). */
enum {
    HOST_ERROR_NULL = 0,
    HOST_ERROR_DIV0 = 7,
    HOST_ERROR_VALUE = 15,
    HOST_ERROR_REF = 23,
    HOST_ERROR_NAME = 29,
    HOST_ERROR_NUM = 36,
    HOST_ERROR_NA = 42
};

/* Return codes of the callback. */
enum {
    HOST_RESULT_OK = 0,
    HOST_RESULT_ABORT = 1,
    HOST_RESULT_BAD_FUNCTION = 2,
    HOST_RESULT_BAD_COUNT = 4,
    HOST_RESULT_BAD_OPERAND = 8,
    HOST_RESULT_STACK = 16,
    HOST_RESULT_FAILED = 32 /* also what every call gives when the host has no callback */
};

enum {
    HOST_MAX_OPERANDS = 255,
    HOST_MAX_STRING = 255,
    HOST_MAX_ROWS = 1048576,
    HOST_MAX_COLUMNS = 16384
};

/* Host function numbers. */
enum {
    xlfSetName = 88,
    xlfRegister = 149,
    xlfDeleteMenu = 158,
    xlfDialogBox = 161,
    xlfGetBar = 182,
    xlfUnregister = 201,
    xlfDeleteToolbar = 254,
    xlfGetToolbar = 258,
    xlfRegisterId = 267,
    xlcSelect = 0x806D,
    xlcAlert = 0x8076,
    xlcMessage = 0x807A,
    xlFree = 0x4000,
    xlStack = 0x4001,
    xlCoerce = 0x4002,
    xlSet = 0x4003,
    xlAbort = 0x4006,
    xlGetHwnd = 0x4008,
    xlGetName = 0x4009,
    xlEnableXLMsgs = 0x400A,
    xlDisableXLMsgs = 0x400B
};

typedef struct HostReference {
    int32_t rowFirst;
    int32_t rowLast;
    int32_t columnFirst;
    int32_t columnLast;
} HostReference;

typedef struct HostOperand HostOperand;

typedef struct HostArray {
    HostOperand* items;
    int32_t rows;
    int32_t columns;
} HostArray;

struct HostOperand {
    union {
        double number;
        uint16_t* text;
        int32_t boolean;
        int32_t error;
        int32_t integer;
        HostReference reference;
        HostArray array;
    } value;
    uint32_t type;
};

/* MdCallBack12(function, count, operands, result): HOST_RESULT_*. */
typedef int (*HostCallback)(int function, int count, HostOperand** operands, HostOperand* result);
#define HOST_CALLBACK_NAME "MdCallBack12"

/* The record RvnFunctionTest takes: two doubles and four floats, written by the test function. */
typedef struct RvnTestRecord {
    double doubles[2];
    float floats[4];
} RvnTestRecord;

#ifdef __cplusplus
}
#endif

#endif
