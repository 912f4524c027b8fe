// The item the extension hands to Vidtrawl's native messaging host, in the
// fields the host accepts: "address" (the video, playlist or link chosen;
// none: the page itself), "page", "title", "referer", "userAgent" and
// "cookies". Only http and https addresses go.
'use strict';

// Long enough for any page's title; the file name is cut shorter anyway.
var MAX_TITLE = 500;

function webAddress(text) {
  try {
    const address = new URL(text);
    return address.protocol === 'http:' || address.protocol === 'https:' ? address.href : undefined;
  } catch (error) {
    return undefined;
  }
}

// A cookie as the browser's store gives it, in the host's fields; nothing
// for one the host would refuse (a ';' or a control character, which no
// browser sends in a request either).
function cookieRecord(cookie) {
  if (/[\x00-\x1f\x7f;]/.test(cookie.name + cookie.value + cookie.domain + cookie.path) ||
      /\s/.test(cookie.name + cookie.domain))
    return undefined;
  const record = {name: cookie.name, value: cookie.value, domain: cookie.domain,
    path: cookie.path || '/', secure: Boolean(cookie.secure), hostOnly: Boolean(cookie.hostOnly)};
  if (!cookie.session && cookie.expirationDate !== undefined)
    record.expires = Math.floor(cookie.expirationDate);
  return record;
}

// The message for a choice on a page: `address` the chosen one (or none),
// `title` the page's (a chosen video's file is named after it), `cookies`
// those the browser holds for the address. Nothing when neither address is
// a web address.
function itemMessage({address, page, title, userAgent, cookies}) {
  const item = {};
  const chosen = webAddress(address);
  const from = webAddress(page);
  if (chosen)
    item.address = chosen;
  if (from)
    item.page = item.referer = from;
  if (!chosen && !from)
    return undefined;
  if (chosen && title)
    item.title = Array.from(title).slice(0, MAX_TITLE).join('');  // whole characters
  if (userAgent)
    item.userAgent = userAgent;
  const records = (cookies || []).map(cookieRecord).filter(Boolean);
  if (records.length)
    item.cookies = records;
  return item;
}
