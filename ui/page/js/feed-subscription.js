// The page's diagnostic subscription. One "vanto.diag.subscribe" names every feed the page wants, so
// parts of the page that come and go (the meters while they are on screen) add and remove their
// feed here and the whole set is sent again.
export class FeedSubscription {
  #link;
  #feeds;
  #hz;
  #started = false;
  #onSubscribe;

  // `onSubscribe` runs before each subscribe message goes out (the controller answers each with a
  // replay of the lifecycle log).
  constructor(link, feeds, hz, onSubscribe = () => {}) {
    this.#link = link;
    this.#feeds = new Set(feeds);
    this.#hz = hz;
    this.#onSubscribe = onSubscribe;
  }

  // Subscribes for the first time, once the controller has greeted the page.
  start() {
    this.#started = true;
    this.#send();
  }

  // Adds or removes `feed`; the subscription is sent again when that changes it.
  want(feed, wanted) {
    if (this.#feeds.has(feed) === wanted) return;
    if (wanted) this.#feeds.add(feed);
    else this.#feeds.delete(feed);
    if (this.#started) this.#send();
  }

  has(feed) {
    return this.#feeds.has(feed);
  }

  #send() {
    this.#onSubscribe();
    this.#link.send('vanto.diag.subscribe', { feeds: [...this.#feeds], hz: this.#hz });
  }
}
