// Reading the update-announcement page and the download page. The pages are
// GBK text; every marker is matched byte for byte on character boundaries.
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

inline constexpr char kVersionMarker[] = "*||*";
inline constexpr char kLinkMarker[] = "dz*#";
inline constexpr char kLinkEndMarker[] = "*#*#";
// dlink\":\"  (ten characters: the page holds JSON escaped once more).
inline constexpr char kDirectLinkMarker[] = "dlink\\\":\\\"";
// \"  ends the address.
inline constexpr char kDirectLinkEnd[] = "\\\"";
// The signature of the new program: "qm*#", 128 hex digits, "*#*#".
inline constexpr char kSignatureMarker[] = "qm*#";
inline constexpr char kSignatureEndMarker[] = "*#*#";
inline constexpr size_t kSignatureBytes = 64;  // ECDSA P-256: r then s, 32 bytes each

// The version between the first two version markers when it differs from
// current (plain byte equality, so an older number counts as newer too);
// kNoNewerVersion when equal or when the page holds no marker at all. An
// opening marker without a closing one gives the empty version.
std::string parseLatestVersion(std::string_view page, std::string_view current);

// The download-page link: the text after the first "dz*#" (up to the next
// one), cut before "*#*#", with every "amp;" deleted. Empty when the page has
// no such stretch or the stretch has no end marker.
std::string parseDownloadLink(std::string_view page);

// The direct file address after the dlink marker, up to the next \", with
// every \\ pair deleted until none is left. Empty when the marker or the end
// is missing.
std::string parseDirectLink(std::string_view page);

// The signature the announcement page carries for the new program's bytes:
// the 128 hexadecimal digits (either case) after the first "qm*#", up to the
// next "*#*#", as 64 bytes. Empty when the marker, its end or the digits are
// missing or malformed; a page without it still gives its version and link.
std::string parseSignature(std::string_view page);

// The bytes written as pairs of hexadecimal digits (either case); empty when
// the text is empty, of odd length or holds anything else.
std::string hexBytes(std::string_view digits);

}  // namespace korvel::upgrade
