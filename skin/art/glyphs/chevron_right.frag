<path d="M9.5 6L15.5 12L9.5 18" stroke="currentColor" fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.4"/>
