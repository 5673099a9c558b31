// Style sheets and `class`: which declaration wins for the properties the host
// models, what is skipped, and how a changed property of a path styled by a
// sheet is saved without touching the sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SvgTestSupport.h"
#include "svg/SvgDocument.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::readBody;

namespace {

struct CascadeCase {
    const char* name;
    std::string sheet;
    std::string body;  // holds a shape "s"
    float strokeWidth;
};

}  // namespace

TEST(StyleSheets, TheCascadeGivesEachPathItsProperties) {
    const std::vector<CascadeCase> cases = {
        {"no rule", "", R"~(<rect id="s"/>)~", 1},
        {"type", "rect { stroke-width: 2 }", R"~(<rect id="s"/>)~", 2},
        {"another type", "circle { stroke-width: 2 }", R"~(<rect id="s"/>)~", 1},
        {"universal", "* { stroke-width: 2 }", R"~(<rect id="s"/>)~", 2},
        {"class over type, whatever the order", ".a { stroke-width: 3 } rect { stroke-width: 2 }",
         R"~(<rect id="s" class="b a"/>)~", 3},
        {"id over class", "#s { stroke-width: 4 } rect.a.b { stroke-width: 3 }",
         R"~(<rect id="s" class="a b"/>)~", 4},
        {"later of the same specificity", ".a { stroke-width: 3 } .b { stroke-width: 5 }",
         R"~(<rect id="s" class="a b"/>)~", 5},
        {"two sheets in order", ".a { stroke-width: 3 }</style><style>.a { stroke-width: 6 }",
         R"~(<rect id="s" class="a"/>)~", 6},
        {"a rule over a presentation attribute", ".a { stroke-width: 3 }",
         R"~(<rect id="s" class="a" stroke-width="9"/>)~", 3},
        {"the style attribute over a rule", "#s { stroke-width: 3 }",
         R"~(<rect id="s" style="stroke-width:4"/>)~", 4},
        {"!important over the style attribute", "rect { stroke-width: 3 !important } #s { stroke-width: 7 }",
         R"~(<rect id="s" style="stroke-width:4"/>)~", 3},
        {"!important in the style attribute over all", "#s { stroke-width: 3 !important }",
         R"~(<rect id="s" style="stroke-width:4 !important"/>)~", 4},
        {"descendant", "g.x rect { stroke-width: 2 }", R"~(<g class="x"><a><rect id="s"/></a></g>)~", 2},
        {"descendant, not inside", "g.x rect { stroke-width: 2 }", R"~(<g class="y"><rect id="s"/></g>)~", 1},
        {"child", "g > rect { stroke-width: 2 }", R"~(<g><rect id="s"/></g>)~", 2},
        {"child, not a grandchild", "g>rect { stroke-width: 2 }", R"~(<g><a><rect id="s"/></a></g>)~", 1},
        {"child then descendant", "svg > g rect { stroke-width: 2 }", R"~(<g><a><rect id="s"/></a></g>)~", 2},
        {"grouped", "circle, #s { stroke-width: 2 }", R"~(<rect id="s"/>)~", 2},
        {"inherited from a group", ".x { stroke-width: 2 }", R"~(<g class="x"><rect id="s"/></g>)~", 2},
        {"comments and CDATA", "<![CDATA[ /* .a { stroke-width: 9 } */ .a { stroke-width: 2 } ]]>",
         R"~(<rect id="s" class="a"/>)~", 2},
        {"attribute selector skipped", "rect[x] { stroke-width: 2 } rect { stroke-width: 3 }",
         R"~(<rect id="s" x="1"/>)~", 3},
        {"pseudo-class skipped", "rect:hover { stroke-width: 2 }", R"~(<rect id="s"/>)~", 1},
        {"a group with one unknown selector dropped whole", "#s, rect::before { stroke-width: 2 }",
         R"~(<rect id="s"/>)~", 1},
        {"sibling combinator skipped", "g + rect { stroke-width: 2 }", R"~(<g/><rect id="s"/>)~", 1},
        {"at-rules skipped",
         "@import url(x.css); @media print { rect { stroke-width: 8 } } rect { stroke-width: 2 }",
         R"~(<rect id="s"/>)~", 2},
        // A value the host cannot read may still be one renderers draw (rgba(), say): it is
        // kept and hides the rules under it, so that the palette leaves such a path alone.
        {"a value the host cannot read kept", "rect { stroke-width: 2 } #s { stroke-width: wide }",
         R"~(<rect id="s"/>)~", 1},
        {"a sheet for print media not applied",
         "rect { stroke-width: 2 }</style><style media=\"print\">rect { stroke-width: 5 }",
         R"~(<rect id="s"/>)~", 2},
        {"an unclosed rule", "rect { stroke-width: 2 } #s { stroke-width: 5", R"~(<rect id="s"/>)~", 2},
    };
    for (const CascadeCase& c : cases) {
        SvgArtwork artwork = readBody("<style>" + c.sheet + "</style>\n" + c.body);
        EXPECT_EQ(object(artwork, "s").style.strokeWidth, c.strokeWidth) << c.name;
    }
}

TEST(StyleSheets, APatternFillFromARuleIsMovedThroughTheStyleAttribute) {
    for (const bool important : {false, true}) {
        const std::string sheet =
            std::string(".dotted { fill: url(#dots)") + (important ? " !important" : "") + "; stroke: #000 }";
        const std::string body = "<style>" + sheet + R"~(</style>
<defs><pattern id="dots" width="10" height="10" patternUnits="userSpaceOnUse"><circle cx="5" cy="5" r="2"/></pattern></defs>
<rect id="p" class="dotted" width="40" height="40" fill="red"/><rect id="q" class="dotted" width="40" height="40"/>)~";
        SvgArtwork artwork = readBody(body);
        ASSERT_EQ(object(artwork, "p").style.fillColorKind, kPattern) << "the rule wins over fill=\"red\"";
        object(artwork, "p").style.transform.tx = 8;
        object(artwork, "p").style.strokeWidth = 3;
        std::string saved;
        SvgArtwork again = svgtest::reopened(artwork, &saved);
        EXPECT_NE(saved.find("<style>" + sheet + "</style>"), std::string::npos)
            << "the sheet is not touched";
        const std::string mark = important ? " !important" : "";
        EXPECT_NE(saved.find(R"~(style="fill:url(#p-fill))~" + mark + "\""), std::string::npos) << saved;
        EXPECT_NE(saved.find(R"~(stroke-width="3")~"), std::string::npos) << "no rule sets it: an attribute";
        EXPECT_EQ(object(again, "p").style.transform.tx, 8);
        EXPECT_EQ(object(again, "p").style.strokeWidth, 3);
        EXPECT_EQ(object(again, "q").style.transform.tx, 0) << "the other path keeps the rule's pattern";
    }
}
