// The extension's background: it watches what each tab receives for media,
// offers "Download with Vidtrawl" in the context menu of a page, a link, a
// video and a sound, and hands the chosen item to Vidtrawl through its native
// messaging host. A service worker in Chromium, an event page in Firefox.
'use strict';

if (typeof importScripts === 'function')
  importScripts('media.js', 'message.js');

var api = globalThis.browser || globalThis.chrome;
var HOST = 'org.example.vidtrawl';
var MENU = 'download-with-vidtrawl';

// Each tab's media wait in session storage, since the worker may end between
// two answers; changes go one after the other.
var changes = Promise.resolve();

function changeMedia(tabId, change) {
  const key = 'tab' + tabId;
  changes = changes.then(async () => {
    const list = (await api.storage.session.get(key))[key] || [];
    if (change(list))
      await api.storage.session.set({[key]: list});
  }).catch(error => console.warn('vidtrawl:', error));
  return changes;
}

async function mediaOf(tabId) {
  await changes;
  const key = 'tab' + tabId;
  return (await api.storage.session.get(key))[key] || [];
}

api.webRequest.onHeadersReceived.addListener(answer => {
  if (answer.tabId < 0)
    return;
  // A new page in the tab starts a new list. Most answers are no media, nor a
  // segment that changes nothing: those leave the storage alone.
  const fresh = answer.type === 'main_frame';
  const kind = mediaKind(answer.url, headerOf(answer.responseHeaders, 'content-type'));
  if (!fresh && (!kind || kind === 'segment'))
    return;
  changeMedia(answer.tabId, list => {
    const before = list.length;
    if (fresh)
      list.length = 0;
    return noteAnswer(list, answer) || list.length !== before;
  });
}, {urls: ['http://*/*', 'https://*/*']}, ['responseHeaders']);

api.tabs.onRemoved.addListener(tabId => {
  changes = changes.then(() => api.storage.session.remove('tab' + tabId)).catch(() => {});
});

// The cookies the browser would send to `address` from this tab, when the
// user allowed the extension to read them.
async function cookiesFor(address, tab) {
  if (!address || !(await api.permissions.contains({permissions: ['cookies']})))
    return [];
  const query = {url: address};
  if (tab && tab.cookieStoreId)
    query.storeId = tab.cookieStoreId;
  try {
    return await api.cookies.getAll(query);
  } catch (error) {
    // Firefox's first-party isolation wants its domain named: any.
    return api.cookies.getAll({...query, firstPartyDomain: null}).catch(() => []);
  }
}

// Hands an item to Vidtrawl: the answer {ok, text} the user is shown.
async function sendItem({address, tab, withTitle}) {
  const page = tab.url;
  const item = itemMessage({
    address, page, title: withTitle ? tab.title : undefined, userAgent: navigator.userAgent,
    cookies: await cookiesFor(webAddress(address) || webAddress(page), tab),
  });
  if (!item)
    return {ok: false, text: 'Not sent: only web pages (http and https) can be downloaded.'};
  try {
    return await api.runtime.sendNativeMessage(HOST, item);
  } catch (error) {
    return {ok: false, text: 'Vidtrawl cannot be reached (' + error.message +
      '). Is Vidtrawl installed on this computer?'};
  }
}

// The answer stays on the toolbar button until the next one.
async function show(tab, answer) {
  await api.action.setBadgeText({tabId: tab.id, text: answer.ok ? '✓' : '!'});
  await api.action.setTitle({tabId: tab.id, title: 'Vidtrawl: ' + answer.text});
  return answer;
}

async function menuClicked(info, tab) {
  if (info.menuItemId !== MENU)
    return undefined;
  tab = {...tab, url: info.pageUrl || tab.url};
  if (info.linkUrl && !info.srcUrl)
    return show(tab, await sendItem({address: info.linkUrl, tab}));
  if (info.mediaType === 'video' || info.mediaType === 'audio') {
    // A player's blob: address is no address: the stream the tab received is.
    const address = webAddress(info.srcUrl) || newestMedia(await mediaOf(tab.id));
    return show(tab, await sendItem({address, tab, withTitle: true}));
  }
  return show(tab, await sendItem({tab}));
}

function createMenu() {
  Promise.resolve(api.contextMenus.removeAll()).then(() => api.contextMenus.create({
    id: MENU, title: 'Download with Vidtrawl', contexts: ['page', 'link', 'video', 'audio'],
  }));
}

api.runtime.onInstalled.addListener(createMenu);
api.runtime.onStartup.addListener(createMenu);
api.contextMenus.onClicked.addListener(menuClicked);

// The popup's questions: a tab's media, and an item to send.
api.runtime.onMessage.addListener((message, sender, reply) => {
  if (sender.id !== api.runtime.id)
    return false;
  if (message.kind === 'media')
    mediaOf(message.tabId).then(reply);
  else if (message.kind === 'send')
    api.tabs.get(message.tabId)
      .then(tab => sendItem({address: message.address, tab, withTitle: Boolean(message.address)}))
      .then(reply);
  else
    return false;
  return true;
});
