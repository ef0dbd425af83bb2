// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/avs_lexer.h"

#include <QColor>

#include "ui/platform_fonts.h"

namespace clipquill {

namespace {

// The lists, written from AviSynth+'s documentation of its language, its
// internal filters and functions, and the plugins most scripts load. The
// lexer compares lower case.

constexpr const char* kKeywords =
    "true false yes no return global function try catch if else while for break continue "
    "last __end__ clip int float string bool val array";

constexpr const char* kInternalFilters =
    "addalphaplane addborders alignedsplice amplify amplifydb animate applyrange assumebff "
    "assumefieldbased assumefps assumeframebased assumesamplerate assumescaledfps assumetff "
    "audiodub audiodubex audiotrim avifilesource avisource bicubicresize bilinearresize "
    "blackmanresize blankclip blur bob changefps colorbars colorbarshd coloryuv combineplanes "
    "compare conditionalfilter conditionalreader conditionalselect convertaudio "
    "convertaudioto16bit convertaudioto24bit convertaudioto32bit convertaudioto8bit "
    "convertaudiotofloat convertbacktoyuy2 convertbits convertfps converttomono "
    "converttoplanarrgb converttoplanarrgba converttorgb converttorgb24 converttorgb32 "
    "converttorgb48 converttorgb64 converttoy converttoy8 converttoyuv411 converttoyuv420 "
    "converttoyuv422 converttoyuv444 converttoyuva420 converttoyuva422 converttoyuva444 "
    "converttoyuy2 converttoyv12 converttoyv16 converttoyv24 converttoyv411 crop cropbottom "
    "delayaudio deleteframe dissolve doubleweave duplicateframe echo ensurevbrmp3sync expr "
    "extracta extractb extractg extractr extractu extractv extracty fadein fadein0 fadein2 "
    "fadeio fadeio0 fadeio2 fadeout fadeout0 fadeout2 fixbrokenchromaupsampling fixluminance "
    "fliphorizontal flipvertical frameevaluate freezeframe gaussresize generalconvolution "
    "getchannel getchannels getleftchannel getrightchannel grayscale greyscale histogram "
    "imagereader imagesource imagesourceanim imagewriter info interleave invert killaudio "
    "killvideo lanczos4resize lanczosresize layer letterbox levels limiter loop mask maskhs "
    "merge mergeargb mergechannels mergechroma mergeluma mergergb messageclip mixaudio "
    "monotostereo normalize opendmlsource overlay peculiarblend planetoy pointresize preroll "
    "propcopy propdelete propclearall propset propsetarray propsetfloat propsetint "
    "propsetstring propshow removealphaplane resampleaudio resetmask reverse rgbadjust "
    "scriptclip segmentedavisource selecteven selectevery selectodd selectrangeevery "
    "separatecolumns separatefields separaterows sharpen showalpha showblue showfiveversions "
    "showframenumber showgreen showred showsmpte showtime showu showv showy sincresize skewrows "
    "spatialsoften spline16resize spline36resize spline64resize ssrc stackhorizontal "
    "stackvertical subtitle subtract supereq swapfields swapuv temporalsoften timestretch tone "
    "trim turn180 turnleft turnright tweak unalignedsplice utoy utoy8 version vtoy vtoy8 "
    "wavsource weave weavecolumns weaverows writefile writefileend writefileif writefilestart "
    "ytouv";

constexpr const char* kPluginFunctions =
    "addgrainc assrender autocrop awarpsharp2 bsaudiosource bsvideosource bwdif checkmate "
    "colormatrix deblock dedup degrainmedian dehalo_alpha dfttest dgsource directshowsource "
    "dss2 eedi2 eedi3 f3kdb ffaudiosource ffindex ffmpegsource2 ffvideosource fft3dfilter "
    "fluxsmoothst fluxsmootht gradfun3 hqdn3d knlmeanscl lsmashaudiosource lsmashvideosource "
    "lwlibavaudiosource lwlibavvideosource manalyse mcompensate mdegrain1 mdegrain2 mdegrain3 "
    "mflowblur mflowfps mflowinter mpeg2source mrecalculate msuper mt_adddiff mt_binarize "
    "mt_deflate mt_edge mt_expand mt_inflate mt_inpand mt_logic mt_lut mt_lutxy mt_makediff "
    "mt_merge neo_f3kdb nicac3source nicdtssource nnedi3 nnedi3_rpow2 qtgmc removegrain "
    "repair smdegrain srestore tdecimate tdeint telecide decimate fielddeinterlace textsub tfm "
    "ttempsmooth vobsub vsfilter yadif yadifmod z_convertformat z_spline36resize";

constexpr const char* kInternalFunctions =
    "abs acos addautoloaddir apply arrayadd arraydel arrayins arrayset arraysize asin assert "
    "atan atan2 autoloadplugins averagechromau averagechromav averageluma bitand bitlshift "
    "bitnot bitor bitrshift bitxor buildpixeltype ceil chr chromaudifference "
    "chromavdifference clearautoloaddirs colorspacenametopixeltype cos cosh default defined "
    "eval exist exp fillstr findstr float floor fmod format frac functionexists "
    "getprocessinfo hexvalue import int internalfunctionexists isarray isbool isclip isfloat "
    "isfunction isint isstring lcase leftstr load_stdcall_plugin loadcplugin loadplugin "
    "loadvirtualdubplugin log log10 lumadifference max midstr min muldiv nop ord pi pow "
    "propgetany propgetasarray propgetdatasize propgetfloat propgetint propgetkeybyindex "
    "propgetstring propgettype propnumelements propnumkeys rand replacestr revstr rgbdifference "
    "rightstr round scriptdir scriptfile scriptname select setcachemode setfiltermtmode "
    "setmemorymax setworkingdir sign sin sinh spline sqrt strcmp strcmpi string strlen tan "
    "tanh time trimall trimleft trimright ucase udifferencefromprevious value "
    "vdifferencefromprevious versionnumber versionstring ydifferencefromprevious "
    "ydifferencetonext yplanemax yplanemedian yplanemin yplaneminmaxdifference prefetch";

constexpr const char* kClipProperties =
    "audiobits audiochannels audioduration audiolength audiolengthf audiorate "
    "bitspercomponent componentsize framecount framerate frameratedenominator "
    "frameratenumerator getparity hasalpha hasaudio hasvideo height is420 is422 is444 "
    "isaudiofloat isaudioint isfieldbased isframebased isinterleaved isplanar isplanarrgb "
    "isplanarrgba isrgb isrgb24 isrgb32 isrgb48 isrgb64 isy isy8 isyuv isyuva isyuy2 isyv12 "
    "isyv16 isyv24 isyv411 numcomponents pixeltype width";

// The colour for a style: one that reads on a light paper, another on a dark.
QColor pick(bool dark, const char* onLight, const char* onDark) {
  return QColor(QString::fromLatin1(dark ? onDark : onLight));
}

QColor mixed(const QColor& a, const QColor& b, double share) {
  return QColor::fromRgbF(static_cast<float>(a.redF() * share + b.redF() * (1 - share)),
                          static_cast<float>(a.greenF() * share + b.greenF() * (1 - share)),
                          static_cast<float>(a.blueF() * share + b.blueF() * (1 - share)));
}

}  // namespace

AvsLexer::AvsLexer(QObject* parent) : QsciLexerAVS(parent) {}

const char* AvsLexer::keywords(int set) const {
  switch (set) {
    case 1:
      return kKeywords;
    case 2:
      return kInternalFilters;
    case 3:
      return kPluginFunctions;
    case 4:
      return kInternalFunctions;
    case 5:
      return kClipProperties;
    default:
      return nullptr;
  }
}

void AvsLexer::usePalette(const QPalette& palette) {
  const QColor paper = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  const bool dark = paper.lightness() < 128;
  QFont font = editorFont();
  setDefaultPaper(paper);
  setDefaultColor(text);
  setDefaultFont(font);
  setPaper(paper, -1);
  setColor(text, -1);
  setFont(font, -1);
  const QColor comment = mixed(text, paper, 0.55);
  for (int style : {BlockComment, NestedBlockComment, LineComment})
    setColor(comment, style);
  setColor(pick(dark, "#098658", "#b5cea8"), Number);
  setColor(pick(dark, "#a31515", "#ce9178"), String);
  setColor(pick(dark, "#a31515", "#ce9178"), TripleString);
  setColor(pick(dark, "#0000c0", "#569cd6"), Keyword);
  setColor(pick(dark, "#267f99", "#4ec9b0"), Filter);
  setColor(pick(dark, "#795e26", "#dcdcaa"), Plugin);
  setColor(pick(dark, "#af00db", "#c586c0"), Function);
  setColor(pick(dark, "#001080", "#9cdcfe"), ClipProperty);
  QFont bold = font;
  bold.setBold(true);
  setFont(bold, Keyword);
}

}  // namespace clipquill
