// Artwork suites: art objects, their paint styles, placed and raster matrices,
// the selection and the host's real-number math.
#ifndef HOSTAPI_AIARTSUITES_H
#define HOSTAPI_AIARTSUITES_H

#include "hostapi/SPBasic.h"

// Art types, as "AI Art Suite" entry 6 reports them.
enum AIArtType : ASInt16 {
    kUnknownArt = 0,
    kGroupArt = 1,
    kPathArt = 2,
    kCompoundPathArt = 3,
    kTextPathArt = 5,
    kPlacedArt = 7,
    kMysteryPathArt = 8,
    kRasterArt = 9,
    kPluginArt = 10,
    kForeignObjectArt = 12,
    kTextFrameArt = 13,
};

// Colour kinds of a fill or stroke.
enum AIColorKind : ASInt32 {
    kGrayColor = 0,
    kFourColor = 1,
    kPattern = 2,
    kCustomColor = 3,
    kGradient = 4,
    kThreeColor = 5,  // red, green, blue
    kNoneColor = 6,
};

inline constexpr int kMaxDashComponents = 10;

// The paint style of a path, read and written whole. The host passes every
// field it does not model through unchanged. Offsets are those of 32-bit
// targets; 64-bit targets keep the order with natural alignment.
struct AIPathStyle {
    AIBoolean fillPaint;         // 0: 1 when the fill is painted
    AIBoolean strokePaint;       // 1: 1 when the stroke is painted
    unsigned char reserved2[2];  // 2
    ASInt32 fillColorKind;       // 4: an AIColorKind; kPattern uses the pattern fields
    AIPatternHandle pattern;     // 8
    AIReal shiftDist;            // 12
    AIReal shiftAngle;           // 16
    AIReal scaleH;               // 20: percent
    AIReal scaleV;               // 24: percent
    AIReal rotate;               // 28: degrees
    AIBoolean reflect;           // 32
    unsigned char reserved33[3];
    AIReal reflectAngle;        // 36
    AIReal shearAngle;          // 40
    AIReal shearAxis;           // 44
    AIRealMatrix transform;     // 48: the pattern matrix
    AIReal fillColor[4];        // 72: components of a flat fill (gray: [0]; RGB: [0..2]; CMYK: [0..3])
    ASInt32 strokeColorKind;    // 88
    AIReal strokeColor[4];      // 92
    AIReal strokeWidth;         // 108
    AIReal miterLimit;          // 112
    ASInt32 lineCap;            // 116
    ASInt32 lineJoin;           // 120
    AIReal fillOpacity;         // 124
    AIReal strokeOpacity;       // 128
    AIBoolean evenOddFill;      // 132
    AIBoolean fillOverprint;    // 133
    AIBoolean strokeOverprint;  // 134
    unsigned char reserved135[17];
    ASInt16 dashCount;  // 152: number of dash components, 0 = solid
    unsigned char reserved154[2];
    AIReal dashOffset;                // 156
    AIReal dash[kMaxDashComponents];  // 160: the first dashCount are in use
};
HOSTAPI_OFFSET_32(AIPathStyle, strokePaint, 1);
HOSTAPI_OFFSET_32(AIPathStyle, fillColorKind, 4);
HOSTAPI_OFFSET_32(AIPathStyle, pattern, 8);
HOSTAPI_OFFSET_32(AIPathStyle, shiftDist, 12);
HOSTAPI_OFFSET_32(AIPathStyle, shiftAngle, 16);
HOSTAPI_OFFSET_32(AIPathStyle, scaleH, 20);
HOSTAPI_OFFSET_32(AIPathStyle, scaleV, 24);
HOSTAPI_OFFSET_32(AIPathStyle, rotate, 28);
HOSTAPI_OFFSET_32(AIPathStyle, reflect, 32);
HOSTAPI_OFFSET_32(AIPathStyle, reflectAngle, 36);
HOSTAPI_OFFSET_32(AIPathStyle, shearAngle, 40);
HOSTAPI_OFFSET_32(AIPathStyle, shearAxis, 44);
HOSTAPI_OFFSET_32(AIPathStyle, transform, 48);
HOSTAPI_OFFSET_32(AIPathStyle, dashCount, 152);
HOSTAPI_OFFSET_32(AIPathStyle, dashOffset, 156);
HOSTAPI_OFFSET_32(AIPathStyle, dash, 160);

inline constexpr const char* kAIFixedMathSuite = "AI Fixed Math Suite";
inline constexpr ASInt32 kAIFixedMathSuiteVersion = 1002;
struct AIFixedMathSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kAIArtSuite = "AI Art Suite";
inline constexpr ASInt32 kAIArtSuiteVersion = 1013;
struct AIArtSuite {
    HostUnusedEntry unused0_5[6];
    // art, out: type. Stores the art's AIArtType.
    AIErr (*getArtType)(AIArtHandle art, ASInt16* type) noexcept;
};
HOSTAPI_ENTRY_AT(AIArtSuite, getArtType, 6);

inline constexpr const char* kAIPathSuite = "AI Path Suite";
inline constexpr ASInt32 kAIPathSuiteVersion = 1007;
struct AIPathSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kAITextFrameSuite = "AI Text Frame Suite";
inline constexpr ASInt32 kAITextFrameSuiteVersion = 1001;
struct AITextFrameSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kAIPathStyleSuite = "AI Path Style Suite";
inline constexpr ASInt32 kAIPathStyleSuiteVersion = 1009;
struct AIPathStyleSuite {
    // path, out: style. Fills the whole record; kWrongArtTypeErr for other art.
    AIErr (*getPathStyle)(AIArtHandle art, AIPathStyle* style) noexcept;
    // path, style (borrowed). Gives the path that style, every byte of it.
    AIErr (*setPathStyle)(AIArtHandle art, const AIPathStyle* style) noexcept;
};
HOSTAPI_ENTRY_AT(AIPathStyleSuite, getPathStyle, 0);
HOSTAPI_ENTRY_AT(AIPathStyleSuite, setPathStyle, 1);

inline constexpr const char* kAIPatternSuite = "AI Pattern Suite";
inline constexpr ASInt32 kAIPatternSuiteVersion = 1008;
struct AIPatternSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kAIPlacedSuite = "AI Placed Suite";
inline constexpr ASInt32 kAIPlacedSuiteVersion = 1006;
struct AIPlacedSuite {
    HostUnusedEntry unused0_1[2];
    // placed art, out: matrix. kWrongArtTypeErr, matrix untouched, for other art.
    AIErr (*getPlacedMatrix)(AIArtHandle art, AIRealMatrix* matrix) noexcept;
    // placed or foreign-object art, matrix (borrowed). Gives the art that matrix.
    AIErr (*setPlacedMatrix)(AIArtHandle art, const AIRealMatrix* matrix) noexcept;
};
HOSTAPI_ENTRY_AT(AIPlacedSuite, getPlacedMatrix, 2);
HOSTAPI_ENTRY_AT(AIPlacedSuite, setPlacedMatrix, 3);

inline constexpr const char* kAIRasterSuite = "AI Raster Suite";
inline constexpr ASInt32 kAIRasterSuiteVersion = 1008;
struct AIRasterSuite {
    HostUnusedEntry unused0_3[4];
    // raster art, out: matrix. kWrongArtTypeErr, matrix untouched, for other art.
    AIErr (*getRasterMatrix)(AIArtHandle art, AIRealMatrix* matrix) noexcept;
    // raster art, matrix (borrowed). Gives the art that matrix.
    AIErr (*setRasterMatrix)(AIArtHandle art, const AIRealMatrix* matrix) noexcept;
};
HOSTAPI_ENTRY_AT(AIRasterSuite, getRasterMatrix, 4);
HOSTAPI_ENTRY_AT(AIRasterSuite, setRasterMatrix, 5);

inline constexpr const char* kAIMatchingArtSuite = "AI Matching Art Suite";
inline constexpr ASInt32 kAIMatchingArtSuiteVersion = 1005;
struct AIMatchingArtSuite {
    // out: handle to the array of selected art, out: count. The array belongs
    // to the host and stays valid until the selection or the document changes;
    // the plug-in does not release it. Count 0 stores a null handle.
    AIErr (*getSelectedArt)(AIArtHandle*** matches, ASInt32* numMatches) noexcept;
};
HOSTAPI_ENTRY_AT(AIMatchingArtSuite, getSelectedArt, 0);

inline constexpr const char* kAIDocumentSuite = "AI Document Suite";
inline constexpr ASInt32 kAIDocumentSuiteVersion = 1010;
struct AIDocumentSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kAIRealMathSuite = "AI Real Math Suite";
inline constexpr ASInt32 kAIRealMathSuiteVersion = 1001;
struct AIRealMathSuite {
    HostUnusedEntry unused0_8[9];
    // a, b. The angle in radians of the vector (a, b): the arc tangent of b / a,
    // in the quadrant of (a, b).
    AIReal (*realAtan2)(AIReal a, AIReal b) noexcept;
    HostUnusedEntry unused10;
    // radians. The same angle in degrees.
    AIReal (*radianToDegree)(AIReal radians) noexcept;
    // x. Its square root.
    AIReal (*realSqrt)(AIReal x) noexcept;
    HostUnusedEntry unused13_35[23];
    // matrix. Sets it to the identity.
    void (*realMatrixSetIdentity)(AIRealMatrix* matrix) noexcept;
    HostUnusedEntry unused37_42[6];
    // matrix, tx, ty. Adds the translation in page axes: tx, ty grow by the
    // given amounts, a, b, c and d stay as they are.
    void (*realMatrixConcatTranslate)(AIRealMatrix* matrix, AIReal tx, AIReal ty) noexcept;
};
HOSTAPI_ENTRY_AT(AIRealMathSuite, realAtan2, 9);
HOSTAPI_ENTRY_AT(AIRealMathSuite, radianToDegree, 11);
HOSTAPI_ENTRY_AT(AIRealMathSuite, realSqrt, 12);
HOSTAPI_ENTRY_AT(AIRealMathSuite, realMatrixSetIdentity, 36);
HOSTAPI_ENTRY_AT(AIRealMathSuite, realMatrixConcatTranslate, 43);

inline constexpr const char* kAITransformArtSuite = "AI Transform Art Suite";
inline constexpr ASInt32 kAITransformArtSuiteVersion = 1001;
struct AITransformArtSuite {
    HostUnusedEntry unused0;
};

#endif
