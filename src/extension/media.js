// What the extension makes of the answers a tab receives: which are media a
// user may want (a video file, an HLS or DASH playlist), and which are only
// pieces of a playlist (its segments, its variants) to fold into it. Plain
// functions over plain lists, so that a tab's list can wait in session
// storage while the background worker sleeps.
'use strict';

var VIDEO_EXTENSIONS = ['mp4', 'm4v', 'webm', 'mkv', 'mov', 'avi', 'flv', 'wmv', 'ogv', '3gp',
  'mpg', 'mpeg'];
var SEGMENT_EXTENSIONS = ['ts', 'm4s', 'm4a', 'aac', 'cmfv', 'cmfa'];
// A tab that plays one stream after another keeps its newest ones.
var MAX_MEDIA = 50;

function pathOf(url) {
  try {
    return new URL(url).pathname;
  } catch (error) {
    return '';
  }
}

function extensionOf(url) {
  const name = pathOf(url).split('/').pop();
  const dot = name.lastIndexOf('.');
  return dot > 0 ? name.slice(dot + 1).toLowerCase() : '';
}

function headerOf(headers, name) {
  const found = (headers || []).find(header => header.name.toLowerCase() === name);
  return found ? found.value || '' : '';
}

// 'hls', 'dash', 'file', 'segment', or nothing for an answer that is no media.
function mediaKind(url, contentType) {
  const type = contentType.split(';')[0].trim().toLowerCase();
  const extension = extensionOf(url);
  if (/^(text\/html|application\/json|text\/plain|image\/)/.test(type))
    return undefined;
  if (/^(application|audio)\/(vnd\.apple\.mpegurl|x-mpegurl|mpegurl)$/.test(type) ||
      extension === 'm3u8')
    return 'hls';
  if (type === 'application/dash+xml' || extension === 'mpd')
    return 'dash';
  if (type === 'video/mp2t' || type === 'video/iso.segment' || SEGMENT_EXTENSIONS.includes(extension))
    return 'segment';
  if (type.startsWith('video/'))
    return 'file';
  if (VIDEO_EXTENSIONS.includes(extension) && /^(|application\/octet-stream|binary\/octet-stream)$/.test(type))
    return 'file';
  return undefined;
}

// The whole file's size: Content-Range's total, else a whole answer's length.
function sizeOf(statusCode, headers) {
  const range = /\/(\d+)\s*$/.exec(headerOf(headers, 'content-range'));
  if (range)
    return Number(range[1]);
  const length = headerOf(headers, 'content-length');
  return statusCode === 200 && /^\d+$/.test(length) ? Number(length) : undefined;
}

// A height the address names ("720p", "_1080."), else nothing.
function qualityOf(url) {
  const named = /(?:^|[^0-9a-z])(\d{3,4})p(?![0-9a-z])/i.exec(pathOf(url)) ||
    /[_/-](2160|1440|1080|720|540|480|360|240)(?=[._/-])/.exec(pathOf(url));
  return named ? Number(named[1]) : undefined;
}

// One entry per file, whatever ranges of it were asked for.
function mediaKey(url) {
  try {
    const address = new URL(url);
    address.hash = '';
    address.searchParams.delete('range');
    return address.href;
  } catch (error) {
    return url;
  }
}

function folderOf(url) {
  const key = mediaKey(url);
  return key.slice(0, key.lastIndexOf('/', key.indexOf('?') < 0 ? key.length : key.indexOf('?')) + 1);
}

// Notes what a received answer ({url, statusCode, responseHeaders}) shows in
// the tab's list; true when the list changed. A segment belongs to the
// playlist before it, and so does anything under a playlist's folder (its
// variants, fragments named like files).
function noteAnswer(list, answer) {
  if (answer.statusCode < 200 || answer.statusCode > 299)
    return false;
  const headers = answer.responseHeaders;
  const kind = mediaKind(answer.url, headerOf(headers, 'content-type'));
  if (!kind || kind === 'segment')
    return false;
  const key = mediaKey(answer.url);
  const size = kind === 'file' ? sizeOf(answer.statusCode, headers) : undefined;
  const same = list.find(entry => entry.key === key);
  if (same) {
    if (same.size !== undefined || size === undefined)
      return false;
    same.size = size;
    return true;
  }
  const folder = folderOf(answer.url);
  if (list.some(entry => entry.kind !== 'file' && folder.startsWith(folderOf(entry.url))))
    return false;
  list.push({key, url: answer.url, kind, size, quality: qualityOf(answer.url)});
  if (list.length > MAX_MEDIA)
    list.splice(0, list.length - MAX_MEDIA);
  return true;
}

// The heights a playlist offers, highest first (HLS variants' RESOLUTION,
// DASH representations' height).
function playlistHeights(kind, text) {
  const pattern = kind === 'hls' ? /RESOLUTION=\d+x(\d+)/g : /<Representation\b[^>]*\bheight="(\d+)"/g;
  const heights = new Set();
  for (const match of text.matchAll(pattern))
    heights.add(Number(match[1]));
  return [...heights].sort((a, b) => b - a);
}

function sizeText(bytes) {
  const units = ['bytes', 'KB', 'MB', 'GB', 'TB'];
  let unit = 0;
  for (; bytes >= 1024 && unit < units.length - 1; ++unit)
    bytes /= 1024;
  return (unit === 0 ? String(bytes) : bytes.toFixed(1)) + ' ' + units[unit];
}

// How the popup names an entry: "HLS stream · up to 1080p", "MP4 video · 720p · 12.4 MB".
function describe(entry) {
  const extension = extensionOf(entry.url).toUpperCase();
  const parts = [entry.kind === 'hls' ? 'HLS stream' : entry.kind === 'dash' ? 'DASH stream'
    : extension ? extension + ' video' : 'Video'];
  if (entry.heights && entry.heights.length)
    parts.push(entry.heights.length > 1 ? 'up to ' + entry.heights[0] + 'p' : entry.heights[0] + 'p');
  else if (entry.quality)
    parts.push(entry.quality + 'p');
  if (entry.size !== undefined)
    parts.push(sizeText(entry.size));
  return parts.join(' · ');
}

// The stream or file a <video> whose own address is none (a blob: of a
// player) most likely plays: the newest playlist, else the newest file.
function newestMedia(list) {
  const streams = list.filter(entry => entry.kind !== 'file');
  const newest = (streams.length ? streams : list).at(-1);
  return newest ? newest.url : undefined;
}
