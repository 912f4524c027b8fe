// The toolbar button's popup: the media the tab has received, each with a
// "Download", the page itself, and whether cookies go with them.
'use strict';

var api = globalThis.browser || globalThis.chrome;

// The tab the popup is about: the active one, or the one its address names
// ("popup.html#tab=ID", as when it is opened in a tab of its own).
async function popupTab() {
  const named = /^#tab=(\d+)$/.exec(location.hash);
  if (named)
    return api.tabs.get(Number(named[1]));
  const [tab] = await api.tabs.query({active: true, currentWindow: true});
  return tab;
}

async function send(tab, address) {
  const answer = await api.runtime.sendMessage({kind: 'send', tabId: tab.id, address});
  const line = document.getElementById('answer');
  line.textContent = answer.text;
  line.className = answer.ok ? 'sent' : 'failed';
}

// A playlist's qualities, read from it once the popup shows it.
async function readHeights(entry, shown) {
  const stop = new AbortController();
  setTimeout(() => stop.abort(), 5000);
  try {
    const text = await (await fetch(entry.url, {credentials: 'include', signal: stop.signal})).text();
    entry.heights = playlistHeights(entry.kind, text.slice(0, 1 << 20));
    shown.textContent = describe(entry);
  } catch (error) {
    // The list stands without them.
  }
}

function showMedia(tab, list) {
  document.getElementById('empty').hidden = list.length > 0;
  const rows = document.getElementById('media');
  for (const entry of list.slice().reverse()) {
    const row = document.createElement('li');
    const text = document.createElement('span');
    const kind = document.createElement('b');
    kind.textContent = describe(entry);
    const address = document.createElement('small');
    address.textContent = address.title = entry.url;
    text.append(kind, address);
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = 'Download';
    button.addEventListener('click', () => send(tab, entry.url));
    row.append(text, button);
    rows.append(row);
    if (entry.kind !== 'file')
      readHeights(entry, kind);
  }
}

async function showCookies() {
  const allowed = await api.permissions.contains({permissions: ['cookies']});
  document.getElementById('cookies').textContent = allowed
    ? 'Your cookies for the video\'s site go with it, for its own requests only.'
    : 'Your cookies are not sent: a video that needs you logged in may fail.';
  document.getElementById('allow').hidden = allowed;
}

async function start() {
  const tab = await popupTab();
  showMedia(tab, await api.runtime.sendMessage({kind: 'media', tabId: tab.id}));
  document.getElementById('page').addEventListener('click', () => send(tab));
  // Asked for at the click itself, as browsers want.
  document.getElementById('allow').addEventListener('click', () => {
    api.permissions.request({permissions: ['cookies']}).then(showCookies);
  });
  showCookies();
}

start();
